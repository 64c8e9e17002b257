#!/usr/bin/env bash
# The release files (make dist): builds the presets release-linux and
# release-win32 and writes to OUT (default dist/):
#   tq214_VERSION[-stand-in]_amd64.deb                    tq214 for Debian, made by CPack
#   Tessaloft_Orvexa_TQ-214-VERSION[-stand-in][-unsigned]-win32.zip
#                                                         the two Windows programs
#   Tessaloft_Orvexa_TQ-214-VERSION[-stand-in][-unsigned]-win32.msi
#                                                         their installer (wixl,
#                                                         packaging/make-msi.sh)
#   SHA256SUMS                                            the SHA-256 of both, and of
#                                                         each program in them
#   SHA256SUMS.asc                                        its OpenPGP signature
# Without --firmware-image the build carries the stand-in image and both
# names say "-stand-in" after the version. Two runs of one commit give the same bytes: every
# date inside comes from SOURCE_DATE_EPOCH, the commit's time unless it is set.
#
# The Windows programs and the installer are signed (packaging/sign-program.sh) when a
# code-signing certificate is given in the environment: SIGN_CERT and
# SIGN_KEY, or SIGN_PKCS12, with SIGN_PASSWORD when the key is protected, and
# SIGN_TIMESTAMP_URL for an RFC 3161 time-stamp server (SIGN_TIMESTAMP_TIMEOUT
# the seconds it has to answer, 30 by default). Without one the programs are
# unsigned and the zip's name says "-unsigned". SHA256SUMS is signed when
# GPG_KEY names an OpenPGP secret key (of GNUPGHOME, when set).
# When signing fails (no time stamp, say) dist.sh says so in one line and OUT
# holds no release files: nothing is copied there before both programs are
# signed.
#
#   dist.sh [--out DIR] [--firmware-image FILE]
set -euo pipefail
# The signing files as named from where dist.sh was started.
for var in SIGN_CERT SIGN_KEY SIGN_PKCS12; do
  if [ -n "${!var:-}" ]; then export "$var=$(realpath -- "${!var}")"; fi
done
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

# Whatever signs must be usable before the build, not found wanting after it.
signing=
if [ -n "${SIGN_CERT:-}${SIGN_KEY:-}${SIGN_PKCS12:-}" ]; then
  signing=yes
  if [ -n "${SIGN_PKCS12:-}" ]; then
    keys=("$SIGN_PKCS12")
  elif [ -n "${SIGN_CERT:-}" ] && [ -n "${SIGN_KEY:-}" ]; then
    keys=("$SIGN_CERT" "$SIGN_KEY")
  else
    echo "dist: SIGN_CERT and SIGN_KEY go together (or SIGN_PKCS12 alone)" >&2
    exit 4
  fi
  for file in "${keys[@]}"; do
    [ -r "$file" ] || { echo "dist: cannot read $file" >&2; exit 4; }
  done
  command -v osslsigncode >/dev/null || { echo "dist: osslsigncode is missing" >&2; exit 4; }
  if ! [[ ${SIGN_TIMESTAMP_TIMEOUT:-30} =~ ^[1-9][0-9]*$ ]]; then
    echo "dist: SIGN_TIMESTAMP_TIMEOUT is a number of seconds, not $SIGN_TIMESTAMP_TIMEOUT" >&2
    exit 4
  fi
fi
if [ -n "${GPG_KEY:-}" ] && ! gpg --batch --list-secret-keys -- "$GPG_KEY" >/dev/null 2>&1; then
  echo "dist: no OpenPGP secret key $GPG_KEY${GNUPGHOME:+ in $GNUPGHOME}" >&2
  exit 4
fi

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
# The zip of the unsigned programs: what two builds must give byte for byte.
cmake --build build/release-win32 -j "$jobs" --target release_zip

rm -f "$out"/*.deb "$out"/*.zip "$out"/*.msi "$out"/SHA256SUMS "$out"/SHA256SUMS.asc
unsigned=$(echo build/release-win32/release/*-unsigned-win32.zip)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/release-win32/CMakeCache.txt)
if [ -n "$signing" ]; then
  # The same files, the programs signed: the name drops "-unsigned". The
  # installer holds the signed programs and is signed itself.
  stage=build/release-win32/signed
  rm -rf "$stage"
  mkdir -p "$stage/unsigned" "$stage/installer"
  unzip -q "$unsigned" -d "$stage/unsigned"
  for program in Tessaloft_Orvexa_TQ-214.exe tq214.exe; do
    if ! failure=$(packaging/sign-program.sh "$stage/unsigned/$program" "$stage/$program" 2>&1); then
      echo "dist: FAILED: ${failure#sign-program: }; no release files in $out" >&2
      exit 1
    fi
  done
  zip=$(basename "$unsigned" -unsigned-win32.zip)-win32.zip
  msi=${zip%.zip}.msi
  cp "$stage"/*.exe "$stage/unsigned/README.txt" "$stage/installer/"
  packaging/make-msi.sh "$SOURCE_DATE_EPOCH" "$version" "$stage/installer" "$stage/unsigned/$msi"
  if ! failure=$(packaging/sign-program.sh "$stage/unsigned/$msi" "$stage/$msi" 2>&1); then
    rm -f "$stage"/*.exe
    echo "dist: FAILED: ${failure#sign-program: }; no release files in $out" >&2
    exit 1
  fi
  cp build/release-linux/release/*.deb "$stage/$msi" "$out"/
  sh packaging/make-zip.sh "$SOURCE_DATE_EPOCH" "$out/$zip" "$stage"/*.exe \
    "$stage/unsigned/README.txt" "$stage/unsigned/schema"
else
  echo "dist: UNSIGNED: no code-signing certificate (SIGN_CERT and SIGN_KEY, or SIGN_PKCS12);" \
    "the Windows programs and the installer carry no signature and their names say -unsigned"
  zip=$(basename "$unsigned")
  msi=${zip%.zip}.msi
  installer=build/release-win32/installer
  rm -rf "$installer"
  mkdir -p "$installer"
  unzip -q "$unsigned" -d "$installer"
  packaging/make-msi.sh "$SOURCE_DATE_EPOCH" "$version" "$installer" "build/release-win32/release/$msi"
  cp build/release-linux/release/*.deb "$unsigned" "build/release-win32/release/$msi" "$out/"
fi
deb=$(basename build/release-linux/release/*.deb)

# SHA256SUMS beside the files: both files, and each program as unpacking puts
# it (Expand-Archive and unzip -d into a folder of the zip's name, dpkg-deb -x
# into one of the package's), so that a program can be checked after it was
# unpacked or installed too.
(
  cd "$out"
  sum() { sha256sum | sed "s|-\$|$1|"; }
  {
    sha256sum -- "$deb" "$zip" "$msi"
    for program in Tessaloft_Orvexa_TQ-214.exe tq214.exe; do
      unzip -p "$zip" "$program" | sum "${zip%.zip}/$program"
    done
    dpkg-deb --fsys-tarfile "$deb" | tar -xOf - ./usr/bin/tq214 | sum "${deb%.deb}/usr/bin/tq214"
  } | sort -k 2 >SHA256SUMS
)
if [ -n "${GPG_KEY:-}" ]; then
  gpg --batch --yes --local-user "$GPG_KEY" --armor --detach-sign \
    --output "$out/SHA256SUMS.asc" "$out/SHA256SUMS"
  gpg --batch --verify "$out/SHA256SUMS.asc" "$out/SHA256SUMS" 2>/dev/null
else
  echo "dist: no OpenPGP key (GPG_KEY): SHA256SUMS is not signed"
fi

echo "dist: release files in $out (SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH):"
(cd "$out" && ls -l --time-style=+ -- "$deb" "$zip" "$msi" SHA256SUMS* && cat SHA256SUMS)
