#!/usr/bin/env bash
# How much memory tq214 takes to read a hostile session file: the largest
# file it reads of the smallest values (64 MiB of "[0,0,0,...]"), the most
# events a session holds (one million of the smallest), and two more shapes
# that cost a reader much for their size (places lists of empty texts, one
# long hexadecimal member). Prints each file's size and the peak resident set
# of `tq214 --replay FILE list`. Built optimised and without sanitizers
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
header='{"format":1,"program":"tq214","version":"1","firmware":{"version":"1","kind":"k",'
header+='"sha256":"s"},"system":"s","placesKey":"mountPoints","started":"t","arguments":[],'
header+='"events":['

# COUNT events EVENT, one to a line, as a whole session.
events() {
  printf '%s\n' "$header"
  yes "$2," | head -n $(($1 - 1))
  printf '%s\n]}\n' "$2"
}

# (`yes` ends on a broken pipe once `head` has what it needs.)
set +o pipefail

# 64 MiB exactly: "[" + "0," many times + "0]" + a line end.
{
  printf '['
  yes '0,' | head -n 33554430 | tr -d '\n'
  printf '0]\n'
} >"$work/zeros.json"

events 1000000 '{"kind":"logicalDrives","value":0}' >"$work/events.json"

places=$(printf '"",%.0s' {1..64})
place='{"kind":"places","path":"","shown":"","places":['"${places%,}"']}'
events $(((64 * 1024 * 1024 - ${#header} - 8) / (${#place} + 2))) "$place" >"$work/places.json"

{
  printf '%s\n{"kind":"command","path":"p","cdb":"12","dir":"in","length":16777216,' "$header"
  printf '"timeout":10,"share":"readWrite","opened":true,"succeeded":true,"error":0,'
  printf '"status":0,"transferred":4,"in":"'
  head -c $((32 * 1024 * 1024 - 2)) /dev/zero | tr '\0' 'a'
  printf '","us":5}\n]}\n'
} >"$work/long-member.json"
set -o pipefail

for file in "$work"/{zeros,events,places,long-member}.json; do
  bytes=$(stat -c %s "$file")
  report=$(/usr/bin/time -v "$program" --replay "$file" list 2>&1 >/dev/null || true)
  peak=$(sed -n 's/^\s*Maximum resident set size (kbytes): //p' <<<"$report")
  said=$(grep -m1 '^tq214:' <<<"$report" || echo "(read)")
  printf '%-16s %10d bytes  peak %8d KiB (%.1fx the file)  %s\n' "$(basename "$file")" \
    "$bytes" "$peak" "$(bc -l <<<"$peak * 1024 / $bytes")" "$said"
done
