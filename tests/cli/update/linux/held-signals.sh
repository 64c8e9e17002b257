#!/usr/bin/env bash
# tq214 update on the virtual machine, paced like a real enclosure, gets
# SIGINT and then SIGTERM while it writes the firmware: both are held, the
# notice is printed once, the update ends PASS with exit code 0, and the held
# requests are named after the result.
#
#   held-signals.sh TQ214
set -uo pipefail

tq214=${1:?usage: held-signals.sh TQ214}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# 98 pieces at 30 ms: about 3 s of writing and verifying.
"$tq214" --simulate update --yes --piece-ms 30 >"$work/out" 2>"$work/err" &
pid=$!

# Wait for the download to be under way (plain progress lines, not a terminal).
for _ in $(seq 100); do
  grep -q 'writing' "$work/out" 2>/dev/null && break
  sleep 0.05
done
kill -INT "$pid"
sleep 0.3
kill -TERM "$pid"
wait "$pid"
code=$?

fail() {
  echo "held-signals: $1" >&2
  echo "--- stdout" >&2; cat "$work/out" >&2
  echo "--- stderr" >&2; cat "$work/err" >&2
  exit 1
}
grep -q 'writing' "$work/out" || fail "the update never started writing"
[ "$code" -eq 0 ] || fail "exit code $code, expected 0"
grep -qx 'PASS' "$work/out" || fail "no PASS"
[ "$(grep -c 'an update is running' "$work/err")" -eq 1 ] || fail "the notice is not there exactly once"
grep -q 'could leave the enclosure unusable' "$work/err" || fail "the notice does not say why"
grep -q 'SIGINT and SIGTERM were held while the update ran' "$work/err" ||
  fail "the held requests are not named after the result"
echo "held-signals: SIGINT and SIGTERM held; PASS, exit 0"
