#!/usr/bin/env bash
# make dist with a code-signing certificate, a time-stamp server and an
# OpenPGP key, all made for this run (a throwaway CA with its code-signing and
# time-stamping certificates, `openssl ts` behind tsa-server.py on 127.0.0.1,
# a key in a temporary GNUPGHOME), into a folder of its own: the zip's name
# drops "-unsigned", both programs and their time stamps verify against that
# CA, SHA256SUMS.asc verifies and SHA256SUMS holds; signing again without a
# time stamp gives the signature under it, and without its signature a
# program is the unsigned one of the build. One byte changed fails each of
# them. A time-stamp server that answers HTTP 500, garbage or not at all makes
# signing fail in one line, and make dist with the server stopped fails in
# one line and leaves no release files. The signed window program starts
# under Wine and shows that no enclosure is attached.
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
tsa_pid=
trap '[ -z "$tsa_pid" ] || kill "$tsa_pid"; gpgconf --kill gpg-agent 2>/dev/null; rm -rf "$keys"' EXIT

# The throwaway CA, its code-signing and time-stamping certificates, the
# time-stamp server's configuration and the OpenPGP key.
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
  openssl req -newkey rsa:2048 -nodes -keyout tsa.key -out tsa.csr \
    -subj "/O=Tessaloft/CN=Throwaway release test time stamps"
  printf '%s\n' basicConstraints=critical,CA:FALSE keyUsage=critical,digitalSignature \
    extendedKeyUsage=critical,timeStamping >tsa.ext
  openssl x509 -req -in tsa.csr -CA ca.pem -CAkey ca.key -set_serial 2 -days 1 \
    -extfile tsa.ext -out tsa.pem
  echo 01 >tsa.serial
  printf '%s\n' '[tsa]' default_tsa=throwaway '[throwaway]' "serial=$keys/tsa.serial" \
    "signer_cert=$keys/tsa.pem" "signer_key=$keys/tsa.key" signer_digest=sha256 \
    default_policy=1.2.3.4.1 'digests=sha256, sha384, sha512' accuracy=secs:1 \
    ess_cert_id_alg=sha256 >tsa.cnf
  mkdir -m 700 gnupg
  gpg --batch --pinentry-mode loopback --passphrase '' \
    --quick-gen-key 'Throwaway release test <release-test@tessaloft.example>' rsa2048 sign 1d
) >"$work/keys.log" 2>&1 || { cat "$work/keys.log"; echo "FAIL making the throwaway keys"; exit 1; }
fingerprint=$(gpg --batch --with-colons --list-secret-keys 2>/dev/null | awk -F: '/^fpr/ { print $10; exit }')
: >"$keys/tsa.port"
python3 "$(dirname "$0")/tsa-server.py" "$keys/tsa.cnf" >"$keys/tsa.port" 2>"$work/tsa.log" &
tsa_pid=$!
for _ in $(seq 50); do
  read -r port <"$keys/tsa.port" && break
  sleep 0.1
done
[ -n "${port:-}" ] || { cat "$work/tsa.log"; echo "FAIL starting the time-stamp server"; exit 1; }
tsa=http://127.0.0.1:$port

# The same source date and firmware image as make dist.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$source_dir" log -1 --format=%ct)}
image=$(sed -n 's/^TQ214_FIRMWARE_IMAGE:FILEPATH=//p' "$source_dir/build/release-linux/CMakeCache.txt")
export SIGN_CERT=$keys/sign.pem SIGN_KEY=$keys/sign.key
unset SIGN_PKCS12 SIGN_PASSWORD SIGN_TIMESTAMP_URL SIGN_TIMESTAMP_TIMEOUT
dist() {
  SIGN_TIMESTAMP_URL=$tsa/ GPG_KEY=$fingerprint "$source_dir/scripts/dist.sh" --out "$1" \
    ${image:+--firmware-image "$image"}
}
if ! dist "$work/dist" >"$work/dist.log" 2>&1; then
  cat "$work/dist.log"
  echo "FAIL make dist with the throwaway certificate, time-stamp server and key"
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
check $? "SHA256SUMS names the zip, the MSI, the package and the three programs, and holds, as does the zip's own"

# The signature as openssl prints it, up to its unsigned attributes (where
# the time stamp is).
signature() {
  rm -f "$1.p7"
  osslsigncode extract-signature -pem -in "$1" -out "$1.p7" >/dev/null 2>&1 &&
    openssl pkcs7 -in "$1.p7" -print -noout | sed '/unauth_attr:/q'
}
for program in Tessaloft_Orvexa_TQ-214.exe tq214.exe; do
  signed=$work/user/$folder/$program
  # osslsigncode says "Succeeded" when the time stamp does not verify too.
  osslsigncode verify -CAfile "$keys/ca.pem" -TSA-CAfile "$keys/ca.pem" -in "$signed" \
    >"$work/verify.log" 2>&1 && grep -q '^Timestamp Server Signature verification: ok' "$work/verify.log"
  check $? "$program and its time stamp verify against the throwaway CA: $(grep -o 'Text description: .*' "$work/verify.log"), $(grep -oE '(Timestamp time|signature is timestamped): .*' "$work/verify.log")"
  unsigned=$work/unsigned/$program
  unzip -q -o "$unsigned_zip" "$program" -d "$work/unsigned"
  SIGN_TIMESTAMP_URL='' "$source_dir/packaging/sign-program.sh" "$unsigned" "$work/$program" &&
    under=$(signature "$signed") && again=$(signature "$work/$program") && [ -n "$under" ] &&
    [ "$under" = "$again" ]
  check $? "$program signed again with the same certificate and time, without a time stamp: the signature under its time stamp"
  rm -f "$work/removed.exe"
  osslsigncode remove-signature -in "$signed" -out "$work/removed.exe" >/dev/null 2>&1 &&
    cmp "$work/removed.exe" "$unsigned"
  check $? "$program without its signature: the unsigned program of the build"
done

# The MSI: signed and time-stamped itself, holding the signed programs.
signed_msi=$work/user/$(basename "$msi")
osslsigncode verify -CAfile "$keys/ca.pem" -TSA-CAfile "$keys/ca.pem" -in "$signed_msi" \
  >"$work/verify.log" 2>&1 && grep -q '^Timestamp Server Signature verification: ok' "$work/verify.log"
check $? "$(basename "$msi") and its time stamp verify against the throwaway CA: $(grep -o 'Text description: .*' "$work/verify.log")"
msiextract -C "$work/msi-files" "$signed_msi" >/dev/null &&
  installed=$(find "$work/msi-files" -name tq214.exe) &&
  cmp "$installed" "$work/user/$folder/tq214.exe" &&
  cmp "$(dirname "$installed")/Tessaloft_Orvexa_TQ-214.exe" "$work/user/$folder/Tessaloft_Orvexa_TQ-214.exe"
check $? "the MSI holds the signed programs"
# osslsigncode writes the compound file's directory anew: the same tables and
# streams (msidump), not the same bytes.
rm -rf "$work/removed.msi" "$work/dump-removed" "$work/dump-unsigned"
mkdir "$work/dump-removed" "$work/dump-unsigned"
osslsigncode remove-signature -in "$signed_msi" -out "$work/removed.msi" >/dev/null 2>&1 &&
  msidump -s -t -d "$work/dump-removed" "$work/removed.msi" >/dev/null 2>&1 &&
  msidump -s -t -d "$work/dump-unsigned" \
    "$source_dir/build/release-win32/signed/unsigned/$(basename "$msi")" >/dev/null 2>&1 &&
  diff -r "$work/dump-removed" "$work/dump-unsigned" >/dev/null
check $? "the MSI without its signature: the tables and streams of the unsigned MSI of the signed programs"

# One changed byte, in the program's code, in the zip, in the sums.
gui=$work/user/$folder/Tessaloft_Orvexa_TQ-214.exe
cp "$gui" "$work/changed.exe"
change_byte "$work/changed.exe" 8192
! osslsigncode verify -CAfile "$keys/ca.pem" -TSA-CAfile "$keys/ca.pem" -in "$work/changed.exe" >/dev/null 2>&1
check $? "Tessaloft_Orvexa_TQ-214.exe with one byte changed fails verification"
change_byte "$work/user/$(basename "$zip")" 1000
(cd "$work/user" && ! sha256sum --quiet -c SHA256SUMS >/dev/null 2>&1)
check $? "a zip with one byte changed fails sha256sum -c"
cp "$work/dist/SHA256SUMS" "$work/SHA256SUMS"
change_byte "$work/SHA256SUMS" 10
! gpg --batch --verify "$work/dist/SHA256SUMS.asc" "$work/SHA256SUMS" 2>/dev/null
check $? "SHA256SUMS with one byte changed fails gpg --verify"

# Servers that give no time stamp: one line, and no program left.
for case in "http-500:none came from" "garbage:none came from" "silent:did not answer within 2 s"; do
  rm -f "$work/broken.exe"
  SIGN_TIMESTAMP_URL=$tsa/${case%%:*} SIGN_TIMESTAMP_TIMEOUT=2 "$source_dir/packaging/sign-program.sh" \
    "$work/unsigned/tq214.exe" "$work/broken.exe" 2>"$work/broken.err"
  code=$?
  [ "$code" = 1 ] && [ "$(wc -l <"$work/broken.err")" = 1 ] && grep -qF "${case#*:}" "$work/broken.err" &&
    [ ! -e "$work/broken.exe" ]
  check $? "a time-stamp server at /${case%%:*}: exit $code, no program, \"$(sed 's/ (osslsigncode.*//' "$work/broken.err")\""
done

# The server stopped: make dist fails in one line and leaves no release
# files, neither its own nor those of the release before in the same folder.
kill "$tsa_pid"
wait "$tsa_pid" 2>/dev/null
tsa_pid=
cp -r "$work/dist" "$work/stopped"
start=$(date +%s%N)
dist "$work/stopped" >"$work/stopped.log" 2>&1
code=$?
seconds=$((($(date +%s%N) - start) / 100000000))
last=$(tail -n 1 "$work/stopped.log")
[ "$code" = 1 ] && [[ $last == "dist: FAILED: no time stamp for "*"cannot be reached"* ]] &&
  [ "$(grep -cF "$tsa" "$work/stopped.log")" = 1 ]
check $? "make dist with the time-stamp server stopped: exit $code after $((seconds / 10)).$((seconds % 10)) s, one line: \"$last\""
left=$(find "$work/stopped" "$source_dir/build/release-win32/signed" -maxdepth 1 -type f ! -name '*.log' | tr '\n' ' ')
[ -z "$left" ]
check $? "nothing left of it that looks finished, in its folder or the build: ${left:-none}"

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
