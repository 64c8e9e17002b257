#!/usr/bin/env bash
# sign-program.sh IN OUT
# Writes OUT: the Windows program IN with an Authenticode signature (SHA-256
# digests) that carries the program's description, as its version block has
# it (res/*.rc), and the maker's address: Windows's prompt for administrator
# rights names the program by that description, beside the verified
# publisher. The certificate comes from the environment:
#   SIGN_CERT and SIGN_KEY   the code-signing certificate (PEM, the
#                            intermediate certificates after it) and its key
#   SIGN_PKCS12              or both in one PKCS#12 file
#   SIGN_PASSWORD            unlocks the key or the PKCS#12 file, if protected
#   SIGN_TIMESTAMP_URL       an RFC 3161 time-stamp server (optional): Windows
#                            then trusts the signature after the certificate
#                            expired
#   SIGN_TIMESTAMP_TIMEOUT   seconds the server has to answer (default 30):
#                            osslsigncode itself waits for ever on a server
#                            that takes the request and never answers
# On failure it prints one line (osslsigncode's own messages go to OUT.log)
# and leaves no OUT: a program signed without the time stamp it was asked
# for, or half written, is never taken for a signed one.
# The signing time is SOURCE_DATE_EPOCH, as every other date of a release:
# two signings of one program with one RSA certificate give the same bytes
# (RSA signatures of this kind have no random part; ECDSA ones have). A
# time-stamp server's answer differs each time; the program under the
# signature stays the same.
set -euo pipefail
usage="usage: sign-program.sh IN OUT"
in=${1:?$usage}
out=${2:?$usage}
maker_url=https://tessaloft.example/
: "${SOURCE_DATE_EPOCH:?sign-program: SOURCE_DATE_EPOCH is the signing time}"

name=$(basename "$in")
case $name in
  *.msi)
    # The installer: Windows shows its description where it asks for
    # administrator rights to install.
    description="TQ-214 enclosure firmware update (installer)" ;;
  *)
    rc=$(grep -l "^#define TQ214_RC_FILE_NAME \"$name\"" "$(dirname "$0")/../res/"*.rc) ||
      { echo "sign-program: no version block names $name" >&2; exit 1; }
    description=$(sed -n 's/^#define TQ214_RC_DESCRIPTION "\(.*\)"$/\1/p' "$rc") ;;
esac

if [ -n "${SIGN_PKCS12:-}" ]; then
  certificate=(-pkcs12 "$SIGN_PKCS12")
elif [ -n "${SIGN_CERT:-}" ] && [ -n "${SIGN_KEY:-}" ]; then
  certificate=(-certs "$SIGN_CERT" -key "$SIGN_KEY")
else
  echo "sign-program: give SIGN_CERT and SIGN_KEY, or SIGN_PKCS12" >&2
  exit 1
fi
options=(-h sha256 -n "$description" -i "$maker_url" -time "$SOURCE_DATE_EPOCH")
# The password goes through a file only this user can read, never on a
# command line that others see.
if [ -n "${SIGN_PASSWORD:-}" ]; then
  private=$(mktemp -d)
  trap 'rm -rf "$private"' EXIT
  (umask 077 && printf '%s' "$SIGN_PASSWORD" >"$private/password")
  options+=(-readpass "$private/password")
fi
limit=()
if [ -n "${SIGN_TIMESTAMP_URL:-}" ]; then
  options+=(-ts "$SIGN_TIMESTAMP_URL")
  limit=(timeout --kill-after=5 "${SIGN_TIMESTAMP_TIMEOUT:-30}")
fi

log=$out.log
rm -f "$out" "$log"
code=0
"${limit[@]}" osslsigncode sign "${certificate[@]}" "${options[@]}" -in "$in" -out "$out" \
  >"$log" 2>&1 || code=$?
if [ "$code" = 0 ]; then
  rm -f "$log"
  exit 0
fi
# osslsigncode has created OUT before it asks for the time stamp.
rm -f "$out"
if [ "$code" = 124 ] || [ "$code" = 137 ]; then
  reason="no time stamp for $name: the time-stamp server $SIGN_TIMESTAMP_URL did not answer within ${SIGN_TIMESTAMP_TIMEOUT:-30} s"
elif grep -qiE "couldn't connect|connection refused" "$log"; then
  reason="no time stamp for $name: the time-stamp server $SIGN_TIMESTAMP_URL cannot be reached"
elif grep -q 'timestamping failed' "$log"; then
  reason="no time stamp for $name: none came from the time-stamp server $SIGN_TIMESTAMP_URL"
else
  reason="cannot sign $name"
fi
echo "sign-program: $reason (osslsigncode's messages: $log)" >&2
exit 1
