#!/usr/bin/env bash
# tq214.exe under Wine in a folder named in two scripts, "Jürgen 用户", as a
# user's profile folder may be: the history (TQ214_HISTORY, and the default
# under %LOCALAPPDATA%) is written, read and named right, a session is
# recorded there and replayed; the path shows as it is named, in a pipe, in
# JSON and on a console. What is not a regular file (the folder itself, NUL)
# is refused there too, and so is a junction on the way to what it writes.
#
#   any-folder.sh WINE_RUN TQ214_EXE
set -uo pipefail

wine_run=${1:?usage: any-folder.sh WINE_RUN TQ214_EXE}
exe=${2:?usage: any-folder.sh WINE_RUN TQ214_EXE}
# Wine takes the names of Unix files, arguments and the environment in the
# locale's character set.
export LC_ALL=C.UTF-8
# shellcheck source=tests/support/e2e.sh
source "$(dirname "$0")/../../support/e2e.sh"
e2e_start "$wine_run" "$exe"
folder="$work/Jürgen 用户"
mkdir "$folder"
win="Z:${folder//\//\\}"

# tq214.exe ARGS...: run, then what tq214.exe said on standard error, without
# the X server's lines, in err.tq214 (shown when a check fails).
report='out err.tq214'
exe_run() {
  run "$@"
  grep -av '^X connection to\|^XIO: \|^ *after [0-9]* requests' "$work/err" >"$work/err.tq214"
}

# The history in a folder that is not there yet.
export TQ214_HISTORY="$win\\tq214\\history.jsonl"
exe_run --simulate update --yes
[ "$code" = 0 ] && [ ! -s "$work/err.tq214" ] || fail "update: exit $code"
grep -q '"result":"PASS"' "$folder/tq214/history.jsonl" 2>/dev/null || fail "no history kept"
exe_run history
[ "$code" = 0 ] && grep -q '21.32.0.2  PASS' "$work/out" || fail "history: exit $code"

exe_run --simulate --record "$win\\session.json" update --yes
[ "$code" = 0 ] && [ -s "$folder/session.json" ] || fail "--record: exit $code"
exe_run --replay "$win\\session.json" update --yes
[ "$code" = 0 ] && grep -q PASS "$work/out" || fail "--replay: exit $code"

# The same file as this user's default, %LOCALAPPDATA%\tq214\history.jsonl
# (set through cmd: Wine sets its own over the one it is given), in JSON:
# the update, the recorded one and the replayed one.
unset TQ214_HISTORY
"$wine_run" cmd /c "set LOCALAPPDATA=$win&& Z:${exe//\//\\} --json history" >"$work/out" 2>/dev/null
grep -qF '"file":"Z:' "$work/out" && grep -qF 'J\u00fcrgen \u7528\u6237\\tq214\\history.jsonl"' "$work/out" &&
  [ "$(grep -o '"result":"PASS"' "$work/out" | wc -l)" = 3 ] ||
  fail "history --json under %LOCALAPPDATA%"

# The path as named in a pipe, and on a console (Wine gives a program whose
# output is a terminal a console, and shows it in the locale's characters).
export TQ214_HISTORY="$win\\none.jsonl"
exe_run history
[ "$(tr -d '\r' <"$work/out")" = "No update recorded yet ($win\\none.jsonl)." ] ||
  fail "in a pipe: $(cat -v "$work/out")"
script -qec "'$wine_run' '$exe' history" /dev/null >"$work/console" 2>&1 </dev/null
grep -qF "$win\\none.jsonl" "$work/console" || fail "on a console: $(cat -v "$work/console")"

# What is no regular file, refused at once with one line.
TQ214_HISTORY=$win exe_run history
[ "$code" = 1 ] && grep -qF "$win cannot be read (a directory, not a regular file)" "$work/err" ||
  fail "the folder as history: exit $code"
TQ214_HISTORY=NUL exe_run history
[ "$code" = 1 ] && grep -qF "NUL cannot be read (a device, not a regular file)" "$work/err" ||
  fail "NUL as history: exit $code"
exe_run --simulate --record NUL list
[ "$code" = 1 ] && grep -qF "NUL: a device, not a regular file" "$work/err" ||
  fail "--record NUL: exit $code"

# A junction on the way to what the elevated tq214.exe writes (Wine runs it
# elevated) is refused with one line, and nothing is written through it.
# Wine 8 makes no junction (mklink /J fails, FSCTL_SET_REPARSE_POINT answers
# ERROR_NOT_SUPPORTED, CreateSymbolicLinkW makes nothing); the reparse point
# it shows is a Unix link to a folder.
ln -s "$folder" "$work/linked"
linked="Z:${work//\//\\}\\linked"
kept=$(md5sum <"$folder/tq214/history.jsonl")
for args in "--simulate update --yes" "--simulate --record $linked\\tq214\\s.json list"; do
  # shellcheck disable=SC2086 # the row's words are the arguments
  TQ214_HISTORY="$linked\\tq214\\history.jsonl" exe_run $args
  [ "$code" = 1 ] && [ "$(wc -l <"$work/err.tq214")" = 1 ] &&
    grep -qF "$linked is a junction or symbolic link, never followed" "$work/err.tq214" &&
    [ "$(md5sum <"$folder/tq214/history.jsonl")" = "$kept" ] && [ ! -e "$folder/tq214/s.json" ] ||
    fail "$args through a linked folder: exit $code"
done

finish "history, --record and --replay work in '$folder', the path shown as named"
