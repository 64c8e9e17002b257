#!/usr/bin/env bash
# The real tq214 on the virtual machine against the system's guards:
#  - one writer per enclosure: while a first tq214 writes the enclosure, a
#    second update refuses it, and list, info and watch say it
#    is being updated, all without sending it a single command, also when
#    they run as another user who may open the device (its group: the lock
#    folder's here); one outside that group cannot read the lock file and
#    probes nothing either; once the first has been killed (SIGKILL, as a
#    crash), the lock is free again;
#  - what another user can plant where the locks live (run as root, the
#    planting user 65534, in a folder with the mode of /run/lock) is refused
#    with one line, never followed: no file appears elsewhere, nothing hangs,
#    two writers never both write; so is a lock folder below a folder that
#    user could rename; and under /run/tq214 such a user can plant nothing.
#    Skipped where not root;
#  - started with standard output or error closed, tq214 writes nothing of
#    its own into the next file it opens (the session of --record);
#  - the system kept awake: against a real D-Bus daemon with a logind
#    stand-in, the inhibitor (sleep:shutdown:handle-lid-switch, "block",
#    "Updating enclosure firmware") is held from before the first write to
#    after the configuration block's read-back, and let go of on PASS and on
#    FAIL alike. Skipped where dbus-daemon or python3-dbusmock is missing.
# Exit 77 when a part was skipped and nothing failed.
#
#   system-guards.sh TQ214
set -uo pipefail

tq214=${1:?usage: system-guards.sh TQ214}
# shellcheck source=tests/support/e2e.sh
source "$(dirname "$0")/../../../support/e2e.sh"
e2e_start "$tq214"
report='*.err'

# wait_for PATTERN FILE: up to 120 s, a guard against a hang, never a
# judgement of speed.
wait_for() {
  local until=$((SECONDS + 120))
  while [ "$SECONDS" -lt "$until" ]; do
    grep -q -- "$1" "$2" 2>/dev/null && return 0
    sleep 0.01
  done
  return 1
}

# Commands to the first enclosure in a recorded session.
commands_to_first() {
  grep -o '"kind":"command","path":"[^"]*0000000000000214' "$1" | wc -l
}

export TQ214_LOCK_DIR=$work/locks
# The lock folder's group (disk, as a disk node's) may read the lock files.
mkdir -p -m 0750 "$TQ214_LOCK_DIR" "$work/user"
chmod 755 "$work"
chgrp 6 "$TQ214_LOCK_DIR"
chown 65534 "$work/user"

# 1. While one tq214 writes the enclosure on E: of a machine, the others on
# that machine: machine | who runs it | args | what they say. "reader" is
# user 65534 in the lock's group, "stranger" the same user outside it. What
# each command says of a held enclosure is CommandsTest's (a lock within the
# process); here, that a lock file another program holds is seen: by a
# writer, by readers (as root, and as others where root), by a watch.
second_programs=(
  "outdated|root|update --yes|another program is updating this enclosure"
  "outdated|root|list|being updated by another program"
  "outdated|reader|list|being updated by another program"
  "outdated|reader|info|being updated by another program"
  "outdated|stranger|list|the lock file cannot be opened (Permission denied)"
  "station|root|watch|+ E:  #0000000000000214  being updated by another program"
  "station|reader|watch|+ E:  #0000000000000214  being updated by another program"
)
# as WHO COMMAND...
as() {
  case $1 in
    root) shift && "$@" ;;
    reader) shift && setpriv --reuid=65534 --regid=65534 --groups=6 "$@" ;;
    stranger) shift && setpriv --reuid=65534 --regid=65534 --clear-groups "$@" ;;
  esac
}
writing=
for row in "${second_programs[@]}"; do
  IFS='|' read -r machine who args said <<<"$row"
  if [ "$who" != root ] && [ "$(id -u)" -ne 0 ]; then
    skip_part "tq214 $args as $who: not root, so run as no one else"
    continue
  fi
  if [ "$machine" != "$writing" ]; then
    [ -z "$writing" ] || { kill -KILL "$first"; wait "$first" 2>/dev/null; }
    "$tq214" --simulate="$machine" --trace update --device E: --yes --piece-ms 50 \
      >"$work/first.out" 2>"$work/first.err" &
    first=$!
    pids+=("$first")
    writing=$machine
    wait_for '^\[3b 0e' "$work/first.err" || fail "the first update on $machine never wrote"
  fi
  # Root writes no file into another user's folder.
  session=$work/second.json
  [ "$who" = root ] || session=$work/user/second.json
  rm -f "$session"
  # shellcheck disable=SC2086 # the row's words are the arguments
  as "$who" "$tq214" --simulate="$machine" --trace --record "$session" $args \
    >"$work/second.out" 2>"$work/second.err"
  code=$?
  sent=$(commands_to_first "$session")
  if grep -qF -- "$said" "$work/second.out" "$work/second.err" && [ "$sent" -eq 0 ]; then
    pass "tq214 $args as $who while another writes: \"$said\", no command to it (exit $code)"
  else
    fail "tq214 $args as $who while another writes: exit $code, $sent commands to it"
  fi
  [ "$args" = "update --yes" ] && cp "$work/second.err" "$work/refused.trace"
done
echo "system-guards: the second updater's --trace, whole:"
sed 's/^/    /' "$work/refused.trace"
kill -KILL "$first"
wait "$first" 2>/dev/null
"$tq214" --simulate update --yes >"$work/third.out" 2>"$work/third.err"
code=$?
if [ "$code" -eq 0 ] && grep -qx 'PASS' "$work/third.out"; then
  pass "the lock of a killed writer is free: the next update PASSes"
else
  fail "after the writer was killed: exit $code"
fi
lock_name=$(ls "$TQ214_LOCK_DIR" | grep 'tq214-.*0000000000000214' | head -n 1)

# A reader that finds no lock file and may not make it holds nothing a writer
# would see: it probes nothing until root has made the file (here by a list).
if [ "$(id -u)" -eq 0 ]; then
  mkdir -m 0750 "$work/fresh" && chgrp 6 "$work/fresh"
  runs=
  for who in reader root reader; do
    session=$work/fresh.json
    [ "$who" = root ] || session=$work/user/fresh.json
    rm -f "$session"
    TQ214_LOCK_DIR=$work/fresh as "$who" "$tq214" --simulate --record "$session" list \
      >/dev/null 2>>"$work/fresh.err"
    runs+="$who $? $(commands_to_first "$session"), "
  done
  if [ "$runs" = "reader 1 0, root 0 4, reader 0 4, " ] &&
    grep -q "no lock file yet, and user 65534 may not make it" "$work/fresh.err"; then
    pass "no lock file yet: another user's list probes nothing; once root made it, it probes"
  else
    fail "no lock file yet: who, exit, commands: $runs $(cat "$work/fresh.err")"
  fi
fi

# 2. Plants. Each row: a folder with the mode of /run/lock (1777) where user
# 65534 plants; "tight" then gives the folder to root with mode 0755, as
# /run/tq214 is, so that what was planted in it is what tq214 meets.
# "loose" gives it to root with mode 0777 and no sticky bit, and root makes
# open/p in it.
#   name | lock folder under the arena | what the user plants | tight | the one line
plants=(
  'link|open|ln -s "$victim" "open/$lock"|tight|$lock: the lock file is a symbolic link'
  'FIFO|open|mkfifo "open/$lock"|tight|$lock: the lock file is a FIFO, not a regular file'
  'folder|open|mkdir "open/$lock"|tight|$lock: the lock file is a folder, not a regular file'
  'flock of another user|open|exec flock "open/$lock" sh -c "echo planted >\"\$marker\"; exec sleep 60"|tight|$lock: the lock file is owned by user 65534'
  'link in a 1777 folder|open|ln -s "$victim" "open/$lock"|open|/open: the lock folder can be written by group or others (mode 1777)'
  'lock folder made by the user|open/locks|mkdir open/locks && ln -s "$victim" "open/locks/$lock"|open|/open/locks: the lock folder is owned by user 65534'
  'lock folder a link|open/locks|mkdir open/mine && ln -s "$victim" "open/mine/$lock" && ln -s mine open/locks|open|/open/locks: the lock folder is a symbolic link'
  "lock folder in the user's folder|open/p/locks|mkdir open/p|open|/open/p is owned by user 65534"
  'lock folder in a folder anyone may rename it in|open/p/locks|ln -s "$victim" open/decoy|loose|/open can be written by others (mode 0777)'
)
as_user() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }
if [ "$(id -u)" -ne 0 ] || ! command -v setpriv >/dev/null; then
  skip_part "not root (or no setpriv): no other user can plant; the plants are not tried"
elif [ -z "$lock_name" ]; then
  fail "no lock file to plant under"
else
  for row in "${plants[@]}"; do
    IFS='|' read -r name folder plant tight said <<<"$row"
    arena=$(mktemp -d)
    chmod 755 "$arena"
    mkdir -m 1777 "$arena/open"
    victim=$arena/victim
    # The planter in a process group of its own, ended whole after the row.
    # It says "planted" into $marker once all is in place (a row that holds a
    # flock says it itself, with the lock held): waited for, not slept on.
    marker=$arena/planted
    : >"$marker" && chmod 666 "$marker"
    (cd "$arena" && exec setsid env victim="$victim" lock="$lock_name" marker="$marker" \
      setpriv --reuid=65534 --regid=65534 --clear-groups sh -c "$plant && echo planted >\"\$marker\"") \
      >/dev/null 2>&1 &
    planter=$!
    wait_for planted "$marker" || fail "plant: $name: the planter never said it was done"
    if [ "$tight" = tight ]; then chown root:root "$arena/open" && chmod 755 "$arena/open"; fi
    if [ "$tight" = loose ]; then
      chown root:root "$arena/open" && chmod 0777 "$arena/open" && mkdir "$arena/open/p"
    fi
    export TQ214_LOCK_DIR=$arena/$folder
    timeout 120 "$tq214" --simulate --trace update --yes --piece-ms 20 >"$work/a.out" 2>"$work/a.err" &
    writer_a=$!
    timeout 120 "$tq214" --simulate --trace update --yes --piece-ms 20 >"$work/b.out" 2>"$work/b.err"
    code_b=$?
    wait "$writer_a"
    code_a=$?
    said=${said//'$lock'/$lock_name}
    writes=$(cat "$work/a.err" "$work/b.err" | grep -c '^\[3b 0e')
    lines=$(grep -h '^tq214: ' "$work/a.err" "$work/b.err" | sort -u)
    if [ "$code_a" -eq 1 ] && [ "$code_b" -eq 1 ] && [ "$writes" -eq 0 ] &&
      [ ! -e "$victim" ] && [ "$(echo "$lines" | wc -l)" -eq 1 ] &&
      [[ "$lines" == "tq214: "*"$said"* ]]; then
      pass "plant: $name: refused with one line, nothing written, nothing followed: $lines"
    else
      fail "plant: $name: exits $code_a and $code_b (124: hung), $writes writes," \
        "victim $([ -e "$victim" ] && echo created || echo absent), said: $lines"
    fi
    kill -- -"$planter" 2>/dev/null
    wait "$planter" 2>/dev/null
    rm -rf "$arena"
  done
  export TQ214_LOCK_DIR=$work/locks
  # Where tq214 keeps its locks by default, that user can make nothing: not
  # the folder (in /run only root makes folders), nor anything in it.
  made=no
  if [ ! -e /run/tq214 ]; then
    as_user mkdir /run/tq214 2>/dev/null && made=user
    [ "$made" = user ] || { mkdir -m 0755 /run/tq214 && made=root; }
  fi
  if [ "$made" != user ] && ! as_user ln -s /etc/nologin "/run/tq214/$lock_name" 2>/dev/null &&
    ! as_user mkfifo "/run/tq214/$lock_name" 2>/dev/null; then
    pass "under /run/tq214 user 65534 can plant nothing"
  else
    fail "user 65534 could plant under /run/tq214 (made by: $made)"
  fi
  [ "$made" = no ] || rm -rf /run/tq214
fi

# 3. Closed standard descriptors: the session file (the first file tq214
# opens) stays a session, whatever tq214 prints.
for closed in '2>&-' '>&-'; do
  rm -f "$work/session.json"
  if [ "$closed" = '2>&-' ]; then
    "$tq214" --simulate --trace --record "$work/session.json" update --yes >/dev/null 2>&-
  else
    "$tq214" --simulate --trace --record "$work/session.json" update --yes >&- 2>/dev/null
  fi
  code=$?
  if [ "$code" -eq 0 ] && python3 -c 'import json, sys; json.load(open(sys.argv[1]))' \
    "$work/session.json" 2>/dev/null; then
    pass "started with $closed: exit 0, the session holds nothing printed"
  else
    fail "started with $closed: exit $code, the session: $(grep -c '' "$work/session.json") lines," \
      "$(grep -c -e '^\[' -e '^progress' "$work/session.json") of them printed"
  fi
done

# 4. The sleep lock, against a bus of our own with a logind stand-in.
if ! command -v dbus-daemon >/dev/null || ! /usr/bin/python3 -c 'import dbusmock' 2>/dev/null; then
  skip "no dbus-daemon or python3-dbusmock: the sleep lock is not tried"
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

finish
