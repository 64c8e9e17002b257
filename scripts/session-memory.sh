#!/usr/bin/env bash
# How much memory tq214 takes to read a hostile session file: the largest
# file it reads (64 MiB of "[0,0,0,...]") and the most events a session holds
# (one million of the smallest). Prints each file's size and the peak resident
# set of `tq214 --replay FILE list`. Built optimised and without sanitizers
# (AddressSanitizer's shadow memory would hide the reader's own).
#
#   scripts/session-memory.sh            # builds build/measure, measures its tq214
#   scripts/session-memory.sh PROGRAM    # measures another tq214
set -euo pipefail
cd "$(dirname "$0")/.."

program=${1:-}
if [[ -z $program ]]; then
  cmake -S . -B build/measure -DCMAKE_BUILD_TYPE=Release -DTQ214_SANITIZE=OFF \
    -DTQ214_BUILD_TESTS=OFF >/dev/null
  cmake --build build/measure -j "$(nproc)" --target tq214 >/dev/null
  program=build/measure/src/cli/tq214
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# (`yes` ends on a broken pipe once `head` has what it needs.)
set +o pipefail

# 64 MiB exactly: "[" + "0," many times + "0]" + a line end.
zeros=$work/zeros.json
{
  printf '['
  yes '0,' | head -n 33554430 | tr -d '\n'
  printf '0]\n'
} >"$zeros"

# A whole session of one million events of the smallest kind.
events=$work/events.json
{
  printf '{"format":1,"program":"tq214","version":"1","firmware":{"version":"1",'
  printf '"kind":"k","sha256":"s"},"system":"s","placesKey":"mountPoints","started":"t",'
  printf '"arguments":[],"events":[\n'
  yes '{"kind":"logicalDrives","value":0},' | head -n 999999
  printf '{"kind":"logicalDrives","value":0}\n]}\n'
} >"$events"
set -o pipefail

for file in "$zeros" "$events"; do
  bytes=$(stat -c %s "$file")
  report=$(/usr/bin/time -v "$program" --replay "$file" list 2>&1 >/dev/null || true)
  peak=$(sed -n 's/^\s*Maximum resident set size (kbytes): //p' <<<"$report")
  said=$(grep -m1 '^tq214:' <<<"$report" || echo "(read)")
  printf '%-12s %10d bytes  peak %8d KiB (%.1fx the file)  %s\n' "$(basename "$file")" \
    "$bytes" "$peak" "$(bc -l <<<"$peak * 1024 / $bytes")" "$said"
done
