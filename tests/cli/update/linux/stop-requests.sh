#!/usr/bin/env bash
# Real signals and closed outputs against the real tq214 on the virtual
# machine, paced like a real enclosure:
#  - at the prompt (nothing written), SIGINT ends tq214 as it ends any program;
#  - during a single update, SIGINT and SIGTERM are held: notice once, PASS,
#    exit 0, the requests named after the result;
#  - during update --all, SIGINT is held for every update side by side;
#  - a reader that goes away (| head) or a full disk (> /dev/full) ends the
#    printing only: the enclosure receives every command, the exit code is
#    the update's;
#  - update --wait: SIGINT the moment "Waiting up to N s" is read ends the
#    wait, never the program (16 runs: the line came before the wait was
#    armed in most of them once). The simulated enclosure comes back at
#    once, so on a busy machine the wait may have confirmed it before the
#    signal arrives: that run ends as usual too; at least one of the 16 must
#    have had its wait ended by the signal;
#  - off a terminal each line comes when it happens: the first line of
#    update --all reaches a pipe long before the update has ended.
# tq214 runs with the signals' default dispositions (a background job of a
# script would otherwise start with SIGINT ignored, and prove nothing).
#
#   stop-requests.sh TQ214
set -uo pipefail

tq214=${1:?usage: stop-requests.sh TQ214}
# shellcheck source=tests/support/e2e.sh
source "$(dirname "$0")/../../../support/e2e.sh"
e2e_start "$tq214"

# start ARGS...: tq214 in the background with default dispositions; sets pid.
start() {
  rm -f "$work/out" "$work/err"
  env --default-signal=INT,QUIT,TERM,HUP "$tq214" "$@" >"$work/out" 2>"$work/err" &
  pid=$!
}

# wait_for PATTERN [FILE]: until standard output (or FILE) shows it, up to
# 120 s, a guard against a hang, never a judgement of speed. Standard output
# to a file is written in blocks; --trace on standard error shows each
# command as it completes.
wait_for() {
  local until=$((SECONDS + 120))
  while [ "$SECONDS" -lt "$until" ]; do
    grep -q -- "$1" "${2:-$work/out}" 2>/dev/null && return 0
    sleep 0.01
  done
  return 1
}

# 1. Nothing written yet: the prompt waits on a pipe that never answers.
mkfifo "$work/answer"
exec 3<>"$work/answer"
env --default-signal=INT "$tq214" --simulate update <&3 >"$work/out" 2>"$work/err" &
pid=$!
wait_for 'Perform update' || fail "no prompt"
kill -INT "$pid"
wait "$pid"
code=$?
exec 3>&-
[ "$code" -eq 130 ] && pass "SIGINT at the prompt ends tq214 (exit 130)" ||
  fail "SIGINT at the prompt: exit $code, expected 130"

# 2. A single update: 98 pieces at 30 ms, about 3 s.
start --simulate --trace update --yes --piece-ms 30
wait_for '^\[3b 0e' "$work/err" || fail "the update never started writing"
kill -INT "$pid"
sleep 0.3
kill -TERM "$pid"
wait "$pid"
code=$?
if [ "$code" -eq 0 ] && grep -qx 'PASS' "$work/out" &&
  [ "$(grep -c 'an update is running' "$work/err")" -eq 1 ] &&
  grep -q 'SIGINT and SIGTERM were held while the update ran' "$work/err"; then
  pass "update: SIGINT and SIGTERM held, notice once, PASS, exit 0"
else
  fail "update: exit $code"
fi

# 3. update --all: two enclosures side by side.
start --simulate=two --trace update --all --yes --piece-ms 30
wait_for '^\[3b 0e' "$work/err" || fail "update --all never started writing"
kill -INT "$pid"
wait "$pid"
code=$?
if [ "$code" -eq 0 ] && [ "$(grep -c ' PASS$' "$work/out")" -eq 2 ] &&
  [ "$(grep -c '2 update(s) running' "$work/err")" -eq 1 ] &&
  grep -q 'SIGINT was held while the update ran' "$work/err"; then
  pass "update --all: SIGINT held for both, both PASS, exit 0"
else
  fail "update --all: exit $code"
fi

# 4. The reader goes away after three lines; the device still gets every
# command (--trace on standard error, which stays open).
set +o pipefail
"$tq214" --simulate --trace update --yes --piece-ms 2 2>"$work/err" | head -n 3 >/dev/null
code=${PIPESTATUS[0]}
set -o pipefail
writes=$(grep -c '^\[3b 0e' "$work/err")
reads=$(grep -c '^\[3c 01' "$work/err")
if [ "$code" -eq 0 ] && [ "$writes" -eq 49 ] && [ "$reads" -ge 49 ] &&
  grep '^\[' "$work/err" | tail -n 1 | grep -q '^\[df 10 .* in 512 ok'; then
  pass "| head: tq214 went on to the end (49 pieces written, the block read back), exit 0"
else
  fail "| head: exit $code, $writes pieces written, $reads read"
fi

# 5. A full disk under --json.
"$tq214" --simulate --json --trace update --yes >/dev/full 2>"$work/err"
code=$?
if [ "$code" -eq 0 ] && [ "$(grep -c '^\[3b 0e' "$work/err")" -eq 49 ]; then
  pass "--json > /dev/full: the update ran to its end, exit 0"
else
  fail "--json > /dev/full: exit $code"
fi

# 6. update --wait: its output is read line by line from a fifo, so that the
# signal follows the line at once.
mkfifo "$work/lines"
killed=0 ended=0
for _ in $(seq 16); do
  env --default-signal=INT "$tq214" --simulate --no-history update --yes --wait=30 \
    >"$work/lines" 2>"$work/err" &
  pid=$!
  while IFS= read -r line; do
    case $line in "Waiting up to"*)
      kill -INT "$pid"
      break
      ;;
    esac
  done <"$work/lines"
  wait "$pid"
  code=$?
  grep -q 'the wait was ended' "$work/err" && ended=$((ended + 1))
  [ "$code" -ne 0 ] && killed=$((killed + 1))
done
if [ "$killed" -eq 0 ] && [ "$ended" -gt 0 ]; then
  pass "update --wait: SIGINT right after \"Waiting up to\" ends the wait ($ended of 16; the others confirmed first), never the program"
else
  fail "update --wait: SIGINT right after \"Waiting up to\": $killed of 16 runs ended otherwise (exit $code), $ended wait(s) ended"
fi

# 7. A pipe gets each line as it happens: the first line of update --all
# (10 s at 50 ms a piece) arrives while tq214 is still running, not with the
# rest once it has ended. An order, not a time: the times are only shown.
mkfifo "$work/pipe"
start_ns=$(date +%s%N)
"$tq214" --simulate=station --piece-ms 50 --no-history update --all --yes 2>/dev/null >"$work/pipe" &
pid=$!
state_at_first=
while IFS= read -r line; do
  if [ -z "$state_at_first" ]; then
    first_ns=$(date +%s%N)
    # The process's state (a background child stays a zombie, Z, until waited for).
    state_at_first=$({ cut -d' ' -f3 "/proc/$pid/stat"; } 2>/dev/null || echo gone)
  fi
done <"$work/pipe"
wait "$pid"
end_ns=$(date +%s%N)
case ${state_at_first:-none} in
  none | gone | Z | X) fail "| pipe: the first line came once tq214 had ended (state ${state_at_first:-none})" ;;
  *) pass "| pipe: the first line came while tq214 ran (state $state_at_first), after $(((first_ns - start_ns) / 1000000)) ms of $(((end_ns - start_ns) / 1000000))" ;;
esac

finish
