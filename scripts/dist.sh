#!/usr/bin/env bash
# The release files (make dist): builds the presets release-linux and
# release-win32 and writes to OUT (default dist/):
#   tq214_VERSION[-stand-in]_amd64.deb                    tq214 for Debian, made by CPack
#   Tessaloft_Orvexa_TQ-214-VERSION[-stand-in]-win32.zip  the two Windows programs
# Without --firmware-image the build carries the stand-in image and both
# names say "-stand-in" after the version. Two runs of one commit give the same bytes: every
# date inside comes from SOURCE_DATE_EPOCH, the commit's time unless it is set.
#
#   dist.sh [--out DIR] [--firmware-image FILE]
set -euo pipefail
cd "$(dirname "$0")/.."

out=dist
image=
while [ $# -gt 0 ]; do
  case $1 in
    --out) out=${2:?--out needs a folder}; shift 2 ;;
    --firmware-image) image=${2:?--firmware-image needs a file}; shift 2 ;;
    *) echo "dist: unknown argument $1" >&2; exit 4 ;;
  esac
done
if [ -n "$image" ]; then
  image=$(realpath "$image")
fi
mkdir -p "$out" build
out=$(realpath "$out")

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  if ! SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null); then
    echo "dist: not a git checkout: set SOURCE_DATE_EPOCH to the time of the source" >&2
    exit 1
  fi
fi
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C
jobs=${JOBS:-$(nproc)}

for preset in release-linux release-win32; do
  # The firmware image is named every time, so that a stand-in run after a run
  # with the real image does not keep it (or the other way round).
  cmake --preset "$preset" -DTQ214_FIRMWARE_IMAGE="$image" >"build/$preset.configure.log" ||
    { cat "build/$preset.configure.log" >&2; exit 1; }
done
grep -h 'Firmware image: version' build/release-linux.configure.log

rm -rf build/release-linux/release build/release-win32/release
cmake --build build/release-linux -j "$jobs" --target tq214 tq214_manual tq214_package_docs
(cd build/release-linux && cpack -G DEB >cpack.log) || { cat build/release-linux/cpack.log >&2; exit 1; }
cmake --build build/release-win32 -j "$jobs" --target release_zip

rm -f "$out"/*.deb "$out"/*.zip
cp build/release-linux/release/*.deb build/release-win32/release/*.zip "$out"/
echo "dist: release files in $out (SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH):"
(cd "$out" && ls -l --time-style=+ -- *.deb *.zip && sha256sum -- *.deb *.zip)
