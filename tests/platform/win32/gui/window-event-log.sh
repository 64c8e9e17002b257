#!/usr/bin/env bash
# The updater window's entry in the event log: the demo, asked to report
# (TQ214_JOURNAL=1), updates the outdated enclosure to PASS under the probe's
# end-to-end check; Wine traces the report (WINEDEBUG=+eventlog): one,
# information, event 1, with the serial number, the drive letter, the firmware
# before and after, the image's SHA-256 and no reason.
#
#   window-event-log.sh WINE_RUN WINDOW_PROBE DEMO.exe
set -uo pipefail
usage="usage: window-event-log.sh WINE_RUN WINDOW_PROBE DEMO.exe"
wine_run=${1:?$usage}
probe=${2:?$usage}
demo=${3:?$usage}
trace=$(dirname "$probe")/window-event-log.trace
TQ214_JOURNAL=1 WINEDEBUG=+eventlog "$wine_run" "$probe" check "$demo" 20 >/dev/null 2>"$trace"
code=$?
calls=$(grep -o 'advapi:ReportEventW ([^)]*' "$trace")
count=$(grep -c 'advapi:ReportEventW (' "$trace")
strings=$(sed -n 's/^[0-9a-f]*:trace:eventlog:ReportEventW L"\(.*\)"\r\?$/\1/p' "$trace" | paste -sd '|')
echo "probe exit $code; $count report(s): ${calls#*,}; strings $strings"
[ "$code" = 0 ] && [ "$count" = 1 ] && [[ $calls == *",0x0004,0x0000,0x00000001,"* ]] &&
  [[ $strings =~ ^0000000000000214\|E:\|21\.32\.0\.2\|21\.32\.0\.3\|[0-9a-f]{64}\|$ ]]
