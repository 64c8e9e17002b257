# shellcheck shell=bash
# What the end-to-end scripts of the programs share. A script sources it,
# after `set -uo pipefail`, by its path from the script's own folder
# (source "$(dirname "$0")/../support/e2e.sh"), then calls e2e_start. NAME,
# which begins its lines, is the script's file name without .sh.
#
#   e2e_start PROGRAM...: what run starts ("$tq214", or Wine's runner and
#     tq214.exe). Makes $work, a folder removed at exit after every process
#     in pids has been ended, and keeps the history of every run there
#     (TQ214_HISTORY), never in the user's.
#   run ARGS...: PROGRAM ARGS with standard input empty, its output in
#     $work/out and $work/err, its exit code in code.
#   pass TEXT: "NAME: TEXT". fail TEXT: "NAME: FAIL: TEXT" on standard
#     error, then the end of each file that report names (globs in $work:
#     the last run's out and err unless set otherwise); counted in failures.
#   skip TEXT: says why and ends the test, skipped (77), or failed if a check
#     failed before. skip_part TEXT: says why and goes on; finish then skips.
#   finish [TEXT]: ends the test: 1 when a check failed, else 77 when a part
#     was skipped, else 0, saying TEXT.
e2e_name=${0##*/}
e2e_name=${e2e_name%.sh}
work=
failures=0
skipped=0
code=
pids=()
report='out err'

e2e_start() {
  e2e_program=("$@")
  work=$(mktemp -d)
  trap e2e_cleanup EXIT
  export TQ214_HISTORY=$work/history.jsonl
}
e2e_cleanup() {
  local p
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null && wait "$p" 2>/dev/null; done
  rm -rf "$work"
}

run() {
  "${e2e_program[@]}" "$@" >"$work/out" 2>"$work/err" </dev/null
  # shellcheck disable=SC2034 # the script reads it
  code=$?
}

pass() { echo "$e2e_name: $*"; }
fail() {
  echo "$e2e_name: FAIL: $*" >&2
  failures=$((failures + 1))
  # shellcheck disable=SC2086 # report's words are globs
  (cd "$work" && for f in $report; do [ -f "$f" ] && echo "--- $f" && tail -c 3000 "$f"; done) >&2
}

skip_part() {
  echo "$e2e_name: SKIP: $*"
  skipped=1
}
skip() {
  skip_part "$@"
  finish ""
}
finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$e2e_name: $failures check(s) failed" >&2
    exit 1
  fi
  [ "$skipped" -eq 0 ] || exit 77
  [ -z "${1:-}" ] || pass "$1"
  exit 0
}
