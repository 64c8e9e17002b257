#!/bin/sh
# make-zip.sh EPOCH ZIP FILE...
# Writes ZIP with the FILEs (by their base names; a folder with the files in
# it) and their SHA256SUMS, in a fixed order, each with mode 0644 and the
# time EPOCH, and without the extra fields that would carry owner and access
# times: the same files always give the same bytes.
set -eu
epoch=$1
zip=$2
shift 2
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
for file in "$@"; do
  cp -R "$file" "$stage/"
done
(
  cd "$stage"
  find . -type f ! -name .names | sed 's|^\./||' | LC_ALL=C sort >.names
  # shellcheck disable=SC2046
  sha256sum $(cat .names) >SHA256SUMS
  echo SHA256SUMS >>.names
  chmod 0644 $(cat .names)
  TZ=UTC touch -d "@$epoch" $(cat .names)
  rm -f "$zip.new"
  TZ=UTC zip -q -X -D -9 "$zip.new" -@ <.names
)
mv "$zip.new" "$zip"
