#!/usr/bin/env bash
# The release files that make dist wrote without a code-signing certificate:
# the zip's name says "-unsigned" and its programs carry no signature;
# SHA256SUMS beside them names the zip, the package and each program, and
# holds; a zip with one byte changed fails it. Without GPG_KEY there is no
# SHA256SUMS.asc (an old one would vouch for other files).
#
#   unsigned-dist.sh DIST VERSION
set -uo pipefail
source "$(dirname "$0")/release-files.sh"
usage="usage: unsigned-dist.sh DIST VERSION"
dist=${1:?$usage}
find_release_files "$dist" "${2:?$usage}"
if [[ $zip != *-unsigned-win32.zip ]]; then
  echo "make dist was given a certificate: release_signed checks signed files"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "zip: $(basename "$zip")"
unpack_beside "$dist" "$work"
folder=$(basename "$zip" .zip)
for program in "$folder/Tessaloft_Orvexa_TQ-214.exe" "$folder/tq214.exe" "$(basename "$msi")"; do
  verdict=$(osslsigncode verify -in "$work/$program" 2>&1)
  # osslsigncode's words for a program and for an MSI.
  [[ $verdict == *'No signature found'* || $verdict == *'MSI file has no signature'* ]]
  check $? "$(basename "$program") carries no signature"
done
[[ $msi == *-unsigned-win32.msi ]]
check $? "the MSI's name says -unsigned"

[ "$(summed_names "$work/SHA256SUMS")" = "$(expected_names)" ]
check $? "SHA256SUMS names the zip, the MSI, the package and the three programs"
(cd "$work" && sha256sum --quiet -c SHA256SUMS)
check $? "SHA256SUMS holds"
[ -n "${GPG_KEY:-}" ] || [ ! -e "$dist/SHA256SUMS.asc" ]
check $? "no SHA256SUMS.asc without GPG_KEY"

change_byte "$work/$(basename "$zip")" 1000
(cd "$work" && ! sha256sum --quiet -c SHA256SUMS >/dev/null 2>&1)
check $? "a zip with one byte changed fails sha256sum -c"

echo "$failures check(s) failed"
[ "$failures" = 0 ]
