#!/usr/bin/env bash
# Reproducible release files: make dist once more, later, from a copy of the
# source in another folder (its own build trees there); the release files and
# SHA256SUMS must be byte for byte those that make dist wrote into DIST.
#
#   rebuild-elsewhere.sh SOURCE DIST VERSION
set -uo pipefail
source "$(dirname "$0")/release-files.sh"
usage="usage: rebuild-elsewhere.sh SOURCE DIST VERSION"
source_dir=${1:?$usage}
dist=${2:?$usage}
find_release_files "$dist" "${3:?$usage}"

work=$(mktemp -d /tmp/tq214-rebuild.XXXXXX)
trap 'rm -rf "$work"' EXIT
copy=$work/elsewhere/tq214
mkdir -p "$copy"
# The checkout's files, tracked and new, as they are now; or all but the
# build output when it is no git checkout.
if files=$(cd "$source_dir" && git ls-files -z -c -o --exclude-standard 2>/dev/null | tr '\0' '\n'); then
  (cd "$source_dir" && tr '\n' '\0' <<<"$files" | tar --null -T - --ignore-failed-read -cf -) |
    tar -xf - -C "$copy"
else
  (cd "$source_dir" && tar --exclude=./build --exclude=./dist -cf - .) | tar -xf - -C "$copy"
fi

# The same source date and firmware image as the first build.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$source_dir" log -1 --format=%ct)}
image=$(sed -n 's/^TQ214_FIRMWARE_IMAGE:FILEPATH=//p' "$source_dir/build/release-linux/CMakeCache.txt")
started=$(date +%s)
if ! "$copy/scripts/dist.sh" --out "$work/dist" ${image:+--firmware-image "$image"} \
  >"$work/dist.log" 2>&1; then
  cat "$work/dist.log"
  echo "FAIL make dist in $copy"
  exit 1
fi
echo "built again in $copy in $(($(date +%s) - started)) s"

failures=0
for file in "$deb" "$zip" "$msi" "$dist/SHA256SUMS"; do
  again=$work/dist/$(basename "$file")
  if cmp "$file" "$again"; then
    echo "ok   $(basename "$file"): the same $(stat -c %s "$file") bytes"
  else
    echo "FAIL $(basename "$file") differs"
    failures=$((failures + 1))
    case $file in
      *.deb) diff <(dpkg-deb -I "$file"; dpkg-deb -c "$file") <(dpkg-deb -I "$again"; dpkg-deb -c "$again") ;;
      *.zip) diff <(unzip -lv "$file") <(unzip -lv "$again") ;;
      *.msi) diff <(msiinfo suminfo "$file") <(msiinfo suminfo "$again") ;;
      *) diff "$file" "$again" ;;
    esac
  fi
done
[ "$failures" = 0 ]
