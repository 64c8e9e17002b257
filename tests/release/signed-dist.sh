#!/usr/bin/env bash
# make dist with a code-signing certificate and an OpenPGP key, both made for
# this run (a throwaway CA with its code-signing certificate, a key in a
# temporary GNUPGHOME), into a folder of its own: the zip's name drops
# "-unsigned", both programs verify against that CA, SHA256SUMS.asc verifies
# and SHA256SUMS holds; signing again gives the same bytes, and without its
# signature a program is the unsigned one of the build. One byte changed
# fails each of them. The signed window program starts under Wine and shows
# that no enclosure is attached.
#
#   signed-dist.sh SOURCE WINE_RUN WINDOW_PROBE VERSION
set -uo pipefail
source "$(dirname "$0")/release-files.sh"
usage="usage: signed-dist.sh SOURCE WINE_RUN WINDOW_PROBE VERSION"
source_dir=${1:?$usage}
wine_run=${2:?$usage}
window_probe=${3:?$usage}
version=${4:?$usage}
# It signs what make dist built, in its build trees; before one it is skipped
# like the other tests of the release files.
unsigned_zip=$(echo "$source_dir"/build/release-win32/release/*-unsigned-win32.zip)
if [ ! -f "$unsigned_zip" ]; then
  echo "no unsigned zip in $source_dir/build/release-win32/release: make dist (make test does) builds it"
  exit 77
fi
keys=$(mktemp -d)
# In the build tree: the Wine prefix is found from the program's folder.
work=$(dirname "$window_probe")/release-signed
rm -rf "$work"
mkdir -p "$work"
export GNUPGHOME=$keys/gnupg
trap 'gpgconf --kill gpg-agent 2>/dev/null; rm -rf "$keys"' EXIT
failures=0
check() {
  if [ "$1" = 0 ]; then echo "ok   $2"; else echo "FAIL $2"; failures=$((failures + 1)); fi
}

# The throwaway CA, its code-signing certificate and the OpenPGP key.
(
  set -e
  cd "$keys"
  openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 1 \
    -subj "/CN=Throwaway release test CA" -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,keyCertSign"
  openssl req -newkey rsa:2048 -nodes -keyout sign.key -out sign.csr \
    -subj "/O=Tessaloft/CN=Throwaway release test code signing"
  printf '%s\n' basicConstraints=critical,CA:FALSE keyUsage=critical,digitalSignature \
    extendedKeyUsage=codeSigning >sign.ext
  openssl x509 -req -in sign.csr -CA ca.pem -CAkey ca.key -set_serial 1 -days 1 \
    -extfile sign.ext -out sign.pem
  mkdir -m 700 gnupg
  gpg --batch --pinentry-mode loopback --passphrase '' \
    --quick-gen-key 'Throwaway release test <release-test@tessaloft.example>' rsa2048 sign 1d
) >"$work/keys.log" 2>&1 || { cat "$work/keys.log"; echo "FAIL making the throwaway keys"; exit 1; }
fingerprint=$(gpg --batch --with-colons --list-secret-keys 2>/dev/null | awk -F: '/^fpr/ { print $10; exit }')

# The same source date and firmware image as make dist.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$source_dir" log -1 --format=%ct)}
image=$(sed -n 's/^TQ214_FIRMWARE_IMAGE:FILEPATH=//p' "$source_dir/build/release-linux/CMakeCache.txt")
export SIGN_CERT=$keys/sign.pem SIGN_KEY=$keys/sign.key
unset SIGN_PKCS12 SIGN_PASSWORD SIGN_TIMESTAMP_URL
if ! GPG_KEY=$fingerprint "$source_dir/scripts/dist.sh" --out "$work/dist" \
  ${image:+--firmware-image "$image"} >"$work/dist.log" 2>&1; then
  cat "$work/dist.log"
  echo "FAIL make dist with the throwaway certificate and key"
  exit 1
fi
find_release_files "$work/dist" "$version"
folder=$(basename "$zip" .zip)
echo "zip: $(basename "$zip")"
[[ $zip != *-unsigned-* ]] && [ -f "$work/dist/SHA256SUMS.asc" ]
check $? "the zip's name drops -unsigned; SHA256SUMS.asc is beside SHA256SUMS"
gpg --batch --verify "$work/dist/SHA256SUMS.asc" "$work/dist/SHA256SUMS" 2>"$work/gpg.log"
check $? "gpg --verify SHA256SUMS.asc SHA256SUMS: $(grep -o 'Good signature.*' "$work/gpg.log")"
unpack_beside "$work/dist" "$work/user"
[ "$(summed_names "$work/user/SHA256SUMS")" = "$(expected_names)" ] &&
  (cd "$work/user" && sha256sum --quiet -c SHA256SUMS && cd "$folder" && sha256sum --quiet -c SHA256SUMS)
check $? "SHA256SUMS names the zip, the package and the three programs, and holds, as does the zip's own"

for program in Tessaloft_Orvexa_TQ-214.exe tq214.exe; do
  signed=$work/user/$folder/$program
  osslsigncode verify -CAfile "$keys/ca.pem" -in "$signed" >"$work/verify.log" 2>&1
  check $? "$program verifies against the throwaway CA: $(grep -o 'Text description: .*' "$work/verify.log")"
  unsigned=$work/unsigned/$program
  unzip -q -o "$unsigned_zip" "$program" -d "$work/unsigned"
  "$source_dir/packaging/sign-program.sh" "$unsigned" "$work/$program" &&
    cmp "$signed" "$work/$program"
  check $? "$program signed again with the same certificate and time: the same $(stat -c %s "$signed") bytes"
  rm -f "$work/removed.exe"
  osslsigncode remove-signature -in "$signed" -out "$work/removed.exe" >/dev/null 2>&1 &&
    cmp "$work/removed.exe" "$unsigned"
  check $? "$program without its signature: the unsigned program of the build"
done

# One changed byte, in the program's code, in the zip, in the sums.
gui=$work/user/$folder/Tessaloft_Orvexa_TQ-214.exe
cp "$gui" "$work/changed.exe"
change_byte "$work/changed.exe" 8192
! osslsigncode verify -CAfile "$keys/ca.pem" -in "$work/changed.exe" >/dev/null 2>&1
check $? "Tessaloft_Orvexa_TQ-214.exe with one byte changed fails verification"
change_byte "$work/user/$(basename "$zip")" 1000
(cd "$work/user" && ! sha256sum --quiet -c SHA256SUMS >/dev/null 2>&1)
check $? "a zip with one byte changed fails sha256sum -c"
cp "$work/dist/SHA256SUMS" "$work/SHA256SUMS"
change_byte "$work/SHA256SUMS" 10
! gpg --batch --verify "$work/dist/SHA256SUMS.asc" "$work/SHA256SUMS" 2>/dev/null
check $? "SHA256SUMS with one byte changed fails gpg --verify"

# Wine's own messages go to wine.log.
"$wine_run" "$window_probe" caption "$gui" >"$work/window" 2>>"$work/wine.log"
code=$?
shown=$(tr -d '\r' <"$work/window" | sed -n 2p)
[ "$code" = 0 ] && [ "$shown" = "No available device !!" ]
check $? "the signed Tessaloft_Orvexa_TQ-214.exe starts under Wine, shows \"$shown\": exit $code"

if [ "$failures" != 0 ] && [ -s "$work/wine.log" ]; then
  echo "--- wine.log"
  cat "$work/wine.log"
fi
echo "$failures check(s) failed"
[ "$failures" = 0 ]
