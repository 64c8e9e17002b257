#!/usr/bin/env bash
# The Windows zip that make dist wrote: it holds the two programs, README.txt,
# the JSON Schemas of SCHEMAS (docs/schema) in schema\ and SHA256SUMS, whose
# sums hold; both programs start under Wine, and carry
# their version, icon and manifest; tq214.exe reports each outcome to the
# event log (event-log.sh).
#
#   zip-programs.sh WINE_RUN WINDOW_PROBE RESOURCE_PROBE DIST VERSION SCHEMAS
set -uo pipefail
source "$(dirname "$0")/release-files.sh"
source "$(dirname "$0")/event-log.sh"
usage="usage: zip-programs.sh WINE_RUN WINDOW_PROBE RESOURCE_PROBE DIST VERSION SCHEMAS"
schemas=${6:?$usage}
wine_run=${1:?$usage}
window_probe=${2:?$usage}
resource_probe=${3:?$usage}
find_release_files "${4:?$usage}" "${5:?$usage}"
version=$5
# Unpacked in the build tree: the Wine prefix is found from the program's folder.
work=$(dirname "$window_probe")/release-zip
rm -rf "$work"
mkdir -p "$work"

echo "zip: $(basename "$zip")"
unzip -q "$zip" -d "$work/unpacked"
[ "$(cd "$work/unpacked" && LC_ALL=C ls | tr '\n' ' ')" = "README.txt SHA256SUMS Tessaloft_Orvexa_TQ-214.exe schema tq214.exe " ]
check $? "holds README.txt, SHA256SUMS, the two programs and schema\\"
same_schemas "$work/unpacked/schema" "$schemas"
check $? "schema\\ holds the JSON Schemas of $schemas"
(cd "$work/unpacked" && sha256sum --quiet -c SHA256SUMS)
check $? "SHA256SUMS holds for the other files"
gui=$work/unpacked/Tessaloft_Orvexa_TQ-214.exe
cli=$work/unpacked/tq214.exe

"$wine_run" "$cli" --simulate list >"$work/list" 2>&1
code=$?
[ "$code" = 0 ] && grep -q 'family 19 (TBR640)' "$work/list"
check $? "tq214.exe --simulate list: exit $code, $(tr -d '\r' <"$work/list" | grep -o 'family 19 (TBR640)')"
"$wine_run" "$cli" --version >"$work/version" 2>&1
[ "$(head -n 1 "$work/version" | tr -d '\r')" = "tq214 $version" ]
check $? "tq214.exe --version: $(head -n 1 "$work/version" | tr -d '\r')"
check_event_log "$wine_run" "$cli" "$work"
# Wine's own messages (its helper processes outlive the virtual display) go
# to wine.log.
"$wine_run" "$window_probe" caption "$gui" >"$work/caption" 2>>"$work/wine.log"
code=$?
caption=$(tr -d '\r' <"$work/caption" | head -n 1)
[ "$code" = 0 ] && [ "$caption" = "Tessaloft_Orvexa_TQ-214_v$version" ]
check $? "Tessaloft_Orvexa_TQ-214.exe opens its window, caption \"$caption\", and closes: exit $code"

for program in "$cli" "$gui"; do
  "$wine_run" "$resource_probe" "$program" 2>>"$work/wine.log" | tr -d '\r' >"$work/resources"
  name=$(basename "$program")
  grep -qx "version $version" "$work/resources" && grep -qx "OriginalFilename $name" "$work/resources"
  check $? "$name: version block of $version, named $name"
  grep -qx "icon MAINICON" "$work/resources"
  check $? "$name: the program icon"
done
manifest=$(sed -n 's/^manifest //p' "$work/resources")
[[ $manifest == *'level="requireAdministrator"'* ]]
check $? "Tessaloft_Orvexa_TQ-214.exe: asks for administrator rights"
"$wine_run" "$resource_probe" "$cli" 2>>"$work/wine.log" | tr -d '\r' >"$work/resources"
manifest=$(sed -n 's/^manifest //p' "$work/resources")
[[ $manifest == *'level="asInvoker"'* && $manifest == *supportedOS* &&
  $manifest == *'<longPathAware'*'>true</longPathAware>'* ]]
check $? "tq214.exe: manifest asInvoker, supported systems, long paths"

if [ "$failures" != 0 ] && [ -s "$work/wine.log" ]; then
  echo "--- wine.log"
  cat "$work/wine.log"
fi
echo "$failures check(s) failed"
[ "$failures" = 0 ]
