#!/usr/bin/env bash
# The Windows installer of FOLDER's Tessaloft_Orvexa_TQ-214.exe, tq214.exe and
# README.txt (packaging/tq214.wxs), with wixl, then made the same at every
# build of the same files: the product code comes from VERSION, the package
# code from the files, the summary's times from SOURCE_DATE_EPOCH
# (msi-fix.py). Two of wixl's gaps are filled in its tables: the upgrade's
# upper bound is inclusive (Windows Installer compares three fields of a
# version, and 1.0.0.2 must replace 1.0.0.1), and the event source's message
# file is REG_EXPAND_SZ.
#
#   make-msi.sh SOURCE_DATE_EPOCH VERSION FOLDER OUT
set -euo pipefail
usage="usage: make-msi.sh SOURCE_DATE_EPOCH VERSION FOLDER OUT"
epoch=${1:?$usage}
version=${2:?$usage}
folder=${3:?$usage}
out=${4:?$usage}
here=$(cd "$(dirname "$0")" && pwd)

# A GUID from the SHA-256 of its standard input (its first 128 bits).
guid_of() {
  sha256sum | sed -E 's/^(.{8})(.{4})(.{4})(.{4})(.{12}).*/\U\1-\2-\3-\4-\5/'
}
product=$(printf 'Tessaloft TQ-214 %s' "$version" | guid_of)
package=$( (printf '%s\n' "$version"; cd "$folder" &&
  sha256sum Tessaloft_Orvexa_TQ-214.exe tq214.exe README.txt) | guid_of)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
rm -f "$out"
# The cabinet keeps each file's time: the source's, as in the zip.
mkdir "$work/files"
cp "$folder/Tessaloft_Orvexa_TQ-214.exe" "$folder/tq214.exe" "$folder/README.txt" "$work/files/"
touch -d "@$epoch" "$work/files"/*
(
  # wixl takes relative source paths only.
  cd "$work"
  wixl -a x86 -D Version="$version" -D ProductCode="$product" -D PackageCode="$package" \
    -D SourceDir=files -o tq214.msi "$here/tq214.wxs"
  msiinfo export tq214.msi Upgrade |
    sed 's/\t1\t\tWIX_UPGRADE_DETECTED\r$/\t513\t\tWIX_UPGRADE_DETECTED\r/' >Upgrade.idt
  msiinfo export tq214.msi Registry |
    sed 's/\tEventMessageFile\t\[INSTALLDIR\]/\tEventMessageFile\t#%[INSTALLDIR]/' >Registry.idt
  grep -q $'\t513\t' Upgrade.idt && grep -q '#%\[INSTALLDIR\]' Registry.idt
  msibuild tq214.msi -i Upgrade.idt -i Registry.idt
)
"$here/msi-fix.py" "$work/tq214.msi" "$epoch" "$package"
mv "$work/tq214.msi" "$out"
