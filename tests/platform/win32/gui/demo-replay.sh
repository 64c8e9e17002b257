#!/usr/bin/env bash
# The demo window runs against the update recorded in the USB harness's guest
# (--replay): the window, driven from outside, ends in PASS, and the demo
# ends with exit code 0 and nothing said about the session (no difference,
# nothing left over).
#
#   demo-replay.sh WINE_RUN DEMO.exe WindowProbe.exe SESSION
set -uo pipefail

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi
run=${1:?usage: demo-replay.sh WINE_RUN DEMO.exe WindowProbe.exe SESSION}
demo=$2
probe=$3
session=$4
err=$(mktemp)
trap 'rm -f "$err"' EXIT

"$run" "$demo" --replay "$session" 2>"$err" &
demo_pid=$!
fail() {
  echo "demo-replay: $1" >&2
  kill "$demo_pid" 2>/dev/null
  cat "$err" >&2
  exit 1
}
"$run" "$probe" ready >/dev/null || fail "no window"
result=$("$run" "$probe" update | tr -d '\r')
echo "demo-replay: $result"
case $result in PASS*) ;; *) fail "the replayed update did not end in PASS" ;; esac
"$run" "$probe" close >/dev/null || fail "the window did not close"
wait "$demo_pid"
code=$?
[ "$code" -eq 0 ] || fail "the demo ended with exit code $code"
! grep -E 'differs|left over' "$err" || fail "the demo did not follow the session"
echo "demo-replay: the demo window followed the recorded session to PASS"
