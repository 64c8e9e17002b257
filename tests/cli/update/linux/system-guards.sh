#!/usr/bin/env bash
# The real tq214 on the virtual machine against the system's guards:
#  - one writer per enclosure: a second tq214 started on the enclosure that a
#    first is writing refuses it without a single write; once the first has
#    been killed (SIGKILL, as a crash), the lock is free again;
#  - the system kept awake: against a real D-Bus daemon with a logind
#    stand-in, the inhibitor (sleep:shutdown:handle-lid-switch, "block",
#    "Updating enclosure firmware") is held from before the first write to
#    after the configuration block's read-back, and let go of on PASS and on
#    FAIL alike. Skipped (77) where dbus-daemon or python3-dbusmock is missing.
#
#   system-guards.sh TQ214
set -uo pipefail

tq214=${1:?usage: system-guards.sh TQ214}
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() {
  echo "system-guards: FAIL: $1" >&2
  for f in "$work"/*.err; do [ -f "$f" ] && { echo "--- $f" >&2; cat "$f" >&2; }; done
  failures=$((failures + 1))
}
pass() { echo "system-guards: $1"; }

# wait_for PATTERN FILE: at most 5 s.
wait_for() {
  for _ in $(seq 500); do
    grep -q -- "$1" "$2" 2>/dev/null && return 0
    sleep 0.01
  done
  return 1
}

export TQ214_LOCK_DIR=$work/locks
mkdir -p "$TQ214_LOCK_DIR"

# 1. Two updaters on one enclosure.
"$tq214" --simulate --trace update --yes --piece-ms 30 >"$work/first.out" 2>"$work/first.err" &
first=$!
pids+=("$first")
wait_for '^\[3b 0e' "$work/first.err" || fail "the first update never wrote"
"$tq214" --simulate --trace update --yes >"$work/second.out" 2>"$work/second.err"
code=$?
if [ "$code" -eq 1 ] && grep -q 'another program is updating this enclosure' "$work/second.err" &&
  ! grep -q '^\[3b 0e' "$work/second.err"; then
  pass "a second updater refuses the enclosure another is writing (exit 1, nothing written)"
else
  fail "the second updater: exit $code"
fi
kill -KILL "$first"
wait "$first" 2>/dev/null
"$tq214" --simulate update --yes >"$work/third.out" 2>"$work/third.err"
code=$?
if [ "$code" -eq 0 ] && grep -qx 'PASS' "$work/third.out"; then
  pass "the lock of a killed writer is free: the next update PASSes"
else
  fail "after the writer was killed: exit $code"
fi

# 2. The sleep lock, against a bus of our own with a logind stand-in.
if ! command -v dbus-daemon >/dev/null || ! /usr/bin/python3 -c 'import dbusmock' 2>/dev/null; then
  echo "system-guards: no dbus-daemon or python3-dbusmock: the sleep lock is not tried"
  [ "$failures" -eq 0 ] || exit 1
  exit 77
fi
address=$(dbus-daemon --session --fork --print-address=1 --print-pid=3 3>"$work/bus.pid")
pids+=("$(cat "$work/bus.pid")")
export DBUS_SYSTEM_BUS_ADDRESS=$address
/usr/bin/python3 -m dbusmock --template logind >"$work/mock.log" 2>&1 &
pids+=("$!")

inhibitors() {
  /usr/bin/python3 - <<'EOF' 2>/dev/null
import dbus
manager = dbus.SystemBus().get_object('org.freedesktop.login1', '/org/freedesktop/login1')
for what, who, why, mode, _, _ in manager.ListInhibitors(dbus_interface='org.freedesktop.login1.Manager'):
    print(f'{what}|{who}|{why}|{mode}')
EOF
}
for _ in $(seq 100); do inhibitors >/dev/null && [ $? -eq 0 ] && break; sleep 0.05; done
expected='sleep:shutdown:handle-lid-switch|tq214|Updating enclosure firmware|block'

for scenario in outdated verify-fail; do
  "$tq214" --simulate=$scenario --trace update --yes --piece-ms 20 >"$work/$scenario.out" \
    2>"$work/$scenario.err" &
  pid=$!
  wait_for '^\[3b 0e' "$work/$scenario.err"
  during=$(inhibitors)
  wait "$pid"
  after=$(inhibitors)
  # In the trace: taken before the first write, released after the last command.
  order=$(grep -n -e '^(enclosure locked; logind inhibitor taken' -e '^\[3b 0e' \
    -e '^(enclosure unlocked; sleep lock released)' -e '^\[' "$work/$scenario.err" |
    sed -e 's/^[0-9]*:(enclosure locked.*/taken/' -e 's/^[0-9]*:(enclosure unlocked.*/released/' \
      -e 's/^[0-9]*:\[.*/command/' | uniq | tr '\n' ' ')
  result=$(grep -x -e PASS -e FAIL "$work/$scenario.out")
  if [ "$during" = "$expected" ] && [ -z "$after" ] &&
    [[ "$order" == *"taken command released "* ]] && [[ "$order" != *"released command"* ]]; then
    pass "$scenario ($result): the inhibitor held from before the first write to after the last command"
  else
    fail "$scenario ($result): during '$during', after '$after', order '$order'"
  fi
done

[ "$failures" -eq 0 ] || exit 1
