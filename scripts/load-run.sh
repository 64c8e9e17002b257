#!/usr/bin/env bash
# The load run: the USB harness's guest stages and the suite's timing-minded
# tests on a busy machine, outside make test. Drops the host's caches first
# (as root), keeps a busy loop on every core, runs the tests RUNS times and
# prints each one's result and time, then how often each passed.
#
#   scripts/load-run.sh [RUNS] [NATIVE_REGEX] [WIN32_REGEX]
#
# RUNS: 5. The regexes pick the tests (ctest -R) in build/native and
# build/win32, which must be built (cmake --preset native/win32 and
# cmake --build). An empty regex runs nothing in that tree.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-5}
native=${2-'^(usb_harness|usb_harness_wine|usb_harness_window|tq214_stop_requests|tq214_stopped_terminal|tq214_notify_socket|tq214_node_exporter)$'}
win32=${3-'^(window_.*|tq214_console_hold|planted_dlls)$'}
log=$root/build/load-run
mkdir -p "$log"

busy=()
stop_busy() {
  local pid
  for pid in "${busy[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${busy[@]}"; do wait "$pid" 2>/dev/null; done
  busy=()
}
trap stop_busy EXIT
for _ in $(seq "$(nproc)"); do
  bash -c 'while :; do :; done' &
  busy+=($!)
done
echo "load-run: a busy loop on each of $(nproc) cores (${busy[*]}); $runs runs; logs in $log"

# run_tree TREE REGEX N: one ctest over the tests of TREE that REGEX picks.
run_tree() {
  local tree=$1 regex=$2 n=$3 out
  [ -n "$regex" ] || return 0
  out=$log/run-$n-$tree.log
  ctest --test-dir "$root/build/$tree" -R "$regex" --output-on-failure >"$out" 2>&1
  # "  1/3 Test #355: usb_harness ......   Passed  116.84 sec"
  sed -n 's/^ *[0-9]*\/[0-9]* Test *#[0-9]*: \([^ ]*\) [ .*]*\([A-Za-z][A-Za-z ]*[a-z]\) *\([0-9.]*\) sec$/\1 \2 \3/p' "$out" |
    while read -r name result seconds; do
      printf 'load-run: run %s  %-28s %-10s %7.1f s\n' "$n" "$name" "${result%% *}" "$seconds"
      echo "$name ${result%% *}" >>"$log/results"
    done
  grep -h 'usb-harness: .*a failure of the environment' "$out" | sed "s/^/load-run: run $n  /"
}

: >"$log/results"
for n in $(seq "$runs"); do
  # The caches dropped: the programs, Wine and the kernel read from disk again.
  if sync && echo 3 >/proc/sys/vm/drop_caches 2>/dev/null; then
    echo "load-run: run $n: the host's caches dropped"
  else
    echo "load-run: run $n: could not drop the host's caches (not root?)"
  fi
  started=$(date +%s)
  run_tree native "$native" "$n"
  run_tree win32 "$win32" "$n"
  echo "load-run: run $n took $(($(date +%s) - started)) s"
done

echo "load-run: passed, of $runs runs:"
awk '{ total[$1]++; if ($2 == "Passed") passed[$1]++ }
  END { for (t in total) printf "load-run:   %-28s %d of %d\n", t, passed[t], total[t] }' "$log/results" | sort
! grep -qv ' Passed$' "$log/results"
