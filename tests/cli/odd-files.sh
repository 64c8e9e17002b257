#!/usr/bin/env bash
# tq214 given files that are not files, as the update history (read by
# `history`, appended to by an update) and as a session (--replay, --record):
# /dev/zero, a FIFO, a directory, a file whose reading fails, and, to write,
# the file standard output or error goes to. Each is refused
# at once with one line that names it: exit 1, except that an update goes on
# without its history. A history line longer than tq214 takes is named and
# skipped. Every run has a time and memory limit, so that a hang or a growth
# fails the row instead of the machine. As root, what another user (65534)
# plants where root writes its session or history is refused with one line,
# exit 1, and nothing anywhere changes.
#
#   odd-files.sh TQ214
set -uo pipefail

tq214=${1:?usage: odd-files.sh TQ214}
# shellcheck source=tests/support/e2e.sh
source "$(dirname "$0")/../support/e2e.sh"
# Every run has 10 s.
e2e_start timeout -k 2 10 "$tq214"
mkfifo "$work/fifo"
mkdir "$work/dir"

# A sanitized build reserves more address space than any limit would allow:
# its own limit on resident memory stands in. The limit holds for every
# program this script starts.
if ldd "$tq214" 2>/dev/null | grep -q libasan; then
  export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}hard_rss_limit_mb=300"
else
  ulimit -v 1000000
fi

# expect ROW CODE TEXT: the last run ended with CODE, and standard error is
# one line holding TEXT.
expect() {
  local lines
  lines=$(wc -l <"$work/err")
  if [ "$code" != "$2" ] || [ "$lines" != 1 ] || ! grep -qF -- "$3" "$work/err"; then
    fail "$1: exit $code (expected $2), $lines lines on standard error, expected one with '$3'"
  else
    pass "$1: exit $code, '$3'"
  fi
}

# The good ones (in the history every run keeps, unless given another): a
# history of one update, a session of one list.
run --simulate update --yes
run --simulate --record "$work/session.json" list
good=$(head -n 1 "$TQ214_HISTORY")
{
  echo "$good"
  head -c 70000 /dev/zero | tr '\0' x
  echo
  echo "$good"
} >"$work/long.jsonl"
TQ214_HISTORY=$work/long.jsonl run history
expect "history, a line of 70000 bytes" 0 "long.jsonl: line 2: longer than 65536 bytes; skipped"
[ "$(grep -c PASS "$work/out")" = 2 ] ||
  fail "history, a line of 70000 bytes: the lines around it are not shown"
run --replay "$work/session.json" list
[ "$code" = 0 ] || fail "the recorded session does not replay: exit $code"

# /proc/self/mem is a regular file whose first byte cannot be read.
for odd in /dev/zero "$work/fifo" "$work/dir" /proc/self/mem; do
  TQ214_HISTORY=$odd run history
  expect "history of $odd" 1 "$odd"
  run --replay "$odd" list
  expect "--replay $odd" 1 "$odd"
  run --simulate --record "$odd" list
  expect "--record $odd" 1 "$odd"
  if [ "$odd" != /proc/self/mem ]; then
    TQ214_HISTORY=$odd run --simulate update --yes
    expect "an update with the history $odd" 0 "the update history $odd cannot be written"
  fi
done

# Standard output and error go to regular files here: a session or history
# written there too would be mixed with the program's own lines. Through
# /dev/stdout, a link, it is not even opened.
run --simulate --record "$work/out" list
expect "--record into standard output" 1 "$work/out: where the program's own output goes"
TQ214_HISTORY=$work/err run --simulate update --yes
expect "an update with the history in standard error" 0 "the update history $work/err cannot be written"
run --simulate --record /dev/stdout list
expect "--record /dev/stdout" 1 "/dev/stdout: a symbolic link, never followed"

# Plants by user 65534 (the hard link by root: the kernel's protected_hardlinks
# keeps a user from linking root's file) in a folder anyone may add to, as
# /tmp: name | who plants | what | the file tq214 is given | the fault named.
plants=(
  'a symbolic link|65534|ln -s ../victim open/f|open/f|a symbolic link, never followed'
  'a hard link|0|ln victim open/f|open/f|has 2 links: another name leads to it'
  'a FIFO|65534|mkfifo open/f|open/f|owned by user 65534, not by user 0'
  "another user's file, mode 0666|65534|touch open/f && chmod 666 open/f|open/f|owned by user 65534"
  'a linked parent folder|65534|ln -s ../safe open/d|open/d/f|open/d is a symbolic link, never followed'
  "another user's folder|65534|mkdir open/d|open/d/f|open/d is owned by user 65534"
  'a folder anyone may write, no sticky bit|0|mkdir open/d && chmod 0777 open/d|open/d/f|open/d can be written by others (mode 0777)'
)
# Every name, kind, size, owner and mode under the arena, and every regular
# file's bytes.
snapshot() {
  (cd "$arena" && find . -printf '%p %y %s %U %m %l\n' | sort && find . -type f -exec md5sum {} + | sort)
}
if [ "$(id -u)" != 0 ] || ! command -v setpriv >/dev/null; then
  pass "not root (or no setpriv): no other user can plant; the plants are not tried"
else
  for row in "${plants[@]}"; do
    IFS='|' read -r name who plant target fault <<<"$row"
    for use in record history; do
      arena=$(mktemp -d)
      chmod 755 "$arena"
      mkdir -m 1777 "$arena/open"
      mkdir "$arena/safe"
      echo "root's own" >"$arena/victim"
      chmod 600 "$arena/victim"
      (cd "$arena" && setpriv --reuid="$who" --regid="$who" --clear-groups sh -c "$plant")
      before=$(snapshot)
      if [ "$use" = record ]; then
        run --simulate --record "$arena/$target" list
      else
        TQ214_HISTORY=$arena/$target run --simulate update --yes
      fi
      expect "$use, planted: $name" 1 "$arena/$target"
      expect "$use, planted: $name" 1 "$fault"
      [ "$(snapshot)" = "$before" ] || fail "$use, planted: $name: something under the arena changed"
      rm -rf "$arena"
    done
  done
fi

finish "every odd file refused at once, the long line skipped"
