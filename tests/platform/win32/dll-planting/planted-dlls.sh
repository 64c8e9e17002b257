#!/usr/bin/env bash
# DLLs planted beside the Windows programs, as a browser saves them into the
# Downloads folder the programs are started from: one for each name that
# either program loads or pulls in and that is not a KnownDLL, each writing
# NAME.dll.loaded when it is loaded (PlantedDll.cpp). Wine searches for them
# as Windows does when told to prefer a DLL it finds over its own
# (WINEDLLOVERRIDES NAME=n,b). Both programs run from that folder, as their
# working folder too: tq214.exe --version and list, and the window until it
# shows its first line, told by the probe that its taskbar button exists (so
# that it takes the taskbar list, a COM server). No marker may appear. Three
# times: in a plain folder; in one named outside the ANSI code page, where
# the window's caption must still carry the program's version; and with
# copies of the programs that cannot find SetDefaultDllDirectories (its
# name changed in them, as on Windows 7 without its update), the fallback.
#
#   planted-dlls.sh WINE_RUN WINDOW_PROBE WINDOW.exe TQ214.exe PLANT_DIR VERSION NAME...
set -uo pipefail
usage="usage: planted-dlls.sh WINE_RUN WINDOW_PROBE WINDOW.exe TQ214.exe PLANT_DIR VERSION NAME..."
wine_run=${1:?$usage}
probe=${2:?$usage}
window=${3:?$usage}
cli=${4:?$usage}
plants=${5:?$usage}
version=${6:?$usage}
shift 6
[ $# -gt 0 ] || { echo "$usage" >&2; exit 4; }
names=("$@")
# The planted DLLs were built beside the folder the test plants them in.
built=$(dirname "$plants")
rm -rf "$plants"
echo "planted beside both programs: ${names[*]/%/.dll}"

# Native first for the planted names; no Mono or Gecko installer; a program
# that calls into a planted DLL and crashes ends instead of waiting in the
# debugger.
overrides=$(
  IFS=,
  echo "${names[*]}"
)
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d;$overrides=n,b"
failures=0
check() {
  if [ "$1" = 0 ]; then echo "ok   $2"; else echo "FAIL $2"; failures=$((failures + 1)); fi
}

# The programs a marker names, by file name.
programs() { tr -d '\r' <"$1" | sed 's/.*\\//' | paste -sd ' '; }

# plant_and_run FOLDER LABEL [SED]: the DLLs and both programs (edited by SED,
# when given) in FOLDER, the programs run there; a check per program and one
# for the markers.
plant_and_run() {
  local plant=$1 label=$2 edit=${3:-} program name marker
  mkdir -p "$plant"
  for program in "$window" "$cli"; do
    if [ -n "$edit" ]; then
      LC_ALL=C sed "$edit" "$program" >"$plant/$(basename "$program")"
    else
      cp "$program" "$plant/"
    fi
  done
  for name in "${names[@]}"; do
    cp "$built/$name.dll" "$plant/" || exit 1
  done
  (
    failures=0
    cd "$plant" || exit 1
    "$wine_run" ./tq214.exe --version >version.out 2>&1
    first=$(head -n 1 version.out | tr -d '\r')
    [[ $first == "tq214 $version" ]]
    check $? "$label: tq214.exe --version: $first"
    "$wine_run" ./tq214.exe list >list.out 2>&1
    code=$?
    [ "$code" = 0 ] || [ "$code" = 3 ]
    check $? "$label: tq214.exe list: exit $code, $(tr -d '\r' <list.out | head -n 1)"
    "$wine_run" "$probe" caption ./Tessaloft_Orvexa_TQ-214.exe >window.out 2>>wine.log
    code=$?
    [ "$code" = 0 ] && [ "$(tr -d '\r' <window.out | head -n 1)" = "Tessaloft_Orvexa_TQ-214_v$version" ]
    check $? "$label: the window: exit $code, $(tr -d '\r' <window.out | paste -sd '|')"
    for marker in *.dll.system; do
      [ -e "$marker" ] || continue
      echo "note $label: ${marker%.system} was loaded at start by a DLL of Wine's system only, not" \
        "by the program's imports (on Windows the system's DLLs are KnownDLLs): $(programs "$marker")"
    done
    loaded=0
    for marker in *.dll.loaded; do
      [ -e "$marker" ] || continue
      echo "FAIL $label: the planted ${marker%.loaded} was loaded into $(programs "$marker")"
      loaded=$((loaded + 1))
    done
    check "$loaded" "$label: none of the ${#names[@]} planted DLLs was loaded"
    if [ "$failures" != 0 ] && [ -s wine.log ]; then
      echo "--- wine.log"
      cat wine.log
    fi
    exit "$failures"
  )
  failures=$((failures + $?))
}

plant_and_run "$plants/plain" "plain folder"
plant_and_run "$plants/Jürgen 用户" "folder Jürgen 用户"
# The same length, so that nothing else in the program moves.
plant_and_run "$plants/fallback" "without SetDefaultDllDirectories" \
  's/SetDefaultDllDirectories/SetDefaultDllDirectoriez/g'

echo "$failures check(s) failed"
[ "$failures" = 0 ]
