#!/usr/bin/env bash
# The MSI that make dist wrote: its tables (msiinfo), then under Wine's
# msiexec, in a Wine prefix of its own: a silent install exits 0 and leaves
# the programs and the manual in Program Files, the Start menu shortcut, the
# uninstall entry and the event source's keys, and the installed tq214.exe
# runs; a silent removal exits 0 and leaves no file and no key; an older MSI
# (made by packaging/make-msi.sh, with another README.txt) and then this one
# leave one entry and this one's files.
#
#   msi-checks.sh WINE_RUN SOURCE DIST VERSION WORK
set -uo pipefail
source "$(dirname "$0")/release-files.sh"
usage="usage: msi-checks.sh WINE_RUN SOURCE DIST VERSION WORK"
wine_run=${1:?$usage}
source_dir=${2:?$usage}
find_release_files "${3:?$usage}" "${4:?$usage}"
version=$4
work=${5:?$usage}/release-msi
rm -rf "$work"
mkdir -p "$work"
echo "msi: $(basename "$msi")"

# The tables.
table() { msiinfo export "$msi" "$1" | tr -d '\r' | tail -n +4; }
property() { table Property | sed -n "s/^$1\t//p"; }
[ "$(property ALLUSERS)" = 1 ] && [ "$(property ProductVersion)" = "$version" ] &&
  [ "$(property UpgradeCode)" = "{8A3F5C2E-6B1D-4E7A-9C40-2D5B7E91F364}" ]
check $? "Property: per machine (ALLUSERS 1), version $(property ProductVersion), the upgrade code"
[ "$(table File | cut -f 3 | LC_ALL=C sort | tr '\n' ' ')" = "README.txt Tessaloft_Orvexa_TQ-214.exe tq214.exe " ]
check $? "File: $(table File | cut -f 3 | tr '\n' ' ')"
table Directory | grep -q $'^INSTALLDIR\tTessaloftFolder\tTQ-214$' &&
  table Directory | grep -q $'^TessaloftFolder\tProgramFilesFolder\tTessaloft$'
check $? "Directory: Program Files\\Tessaloft\\TQ-214"
table Shortcut | grep -q $'\tProgramMenuFolder\t[^\t]*\tStartMenuShortcut\t\\[INSTALLDIR\\]Tessaloft_Orvexa_TQ-214.exe\t'
check $? "Shortcut: the window, in the Start menu"
# Windows Installer compares three fields: the upper bound must be inclusive
# (513: migrate features, inclusive maximum) for 1.0.0.2 to replace 1.0.0.1.
table Upgrade | grep -q $'\t\t'"$version"$'\t\t513\t\tWIX_UPGRADE_DETECTED$'
check $? "Upgrade: every version up to $version, itself included, is removed"
key='SYSTEM\CurrentControlSet\Services\EventLog\Application\Tessaloft TQ-214\'
table Registry | grep -qF $'\t2\t'"$key"$'\tEventMessageFile\t#%[INSTALLDIR]tq214.exe\t' &&
  table Registry | grep -qF $'\t2\t'"$key"$'\tTypesSupported\t#7\t'
check $? "Registry: the event source, EventMessageFile (REG_EXPAND_SZ) and TypesSupported 7"
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$source_dir" log -1 --format=%ct)}
created=$(TZ=UTC msiinfo suminfo "$msi" | sed -n 's/^Created: //p')
[ "$created" = "$(TZ=UTC LC_ALL=C date -d "@$epoch" '+%a %b %e %H:%M:%S %Y')" ]
check $? "summary: made at the source's time, $created"

# Under Wine's msiexec.
unzip -q "$zip" -d "$work/zip"
export WINEPREFIX=$work/prefix TQ214_WIN32_BUILD_DIR=${5}
msiexec() { (cd "$work" && "$wine_run" msiexec "$@" >>"$work/msiexec.log" 2>&1); }
installed="$WINEPREFIX/drive_c/Program Files (x86)/Tessaloft/TQ-214"
# wineserver writes the registry to its files when it is done.
registry() { wineserver -w; cat "$WINEPREFIX/system.reg"; }
# The registry's blocks of the keys whose line holds $1, as system.reg
# writes it (each backslash doubled).
registry_key() { registry | KEY=$1 awk '/^\[/ { inside = index($0, ENVIRON["KEY"]) > 0 } inside'; }
entries() {
  registry | awk '/^\[/ { key = $0 } /^"DisplayName"="Tessaloft Orvexa TQ-214 firmware update"/ { print key }' |
    grep -c 'Uninstall'
}
shortcuts() { find "$WINEPREFIX/drive_c" -name 'TQ-214 firmware update.lnk' | wc -l; }
windows_msi="Z:$(echo "$msi" | tr / '\\')"

msiexec /i "$windows_msi" /qn
check $? "msiexec /i $(basename "$msi") /qn: exit 0"
cmp -s "$installed/Tessaloft_Orvexa_TQ-214.exe" "$work/zip/Tessaloft_Orvexa_TQ-214.exe" &&
  cmp -s "$installed/tq214.exe" "$work/zip/tq214.exe" &&
  cmp -s "$installed/README.txt" "$work/zip/README.txt"
check $? "installed: the zip's two programs and README.txt in Program Files (x86)\\Tessaloft\\TQ-214"
[ "$(shortcuts)" = 1 ]
check $? "installed: the Start menu shortcut ($(shortcuts))"
uninstall=$(registry_key 'Uninstall\\{')
[ "$(entries)" = 1 ] && grep -qx "\"DisplayVersion\"=\"$version\"" <<<"$uninstall"
check $? "installed: one entry in Apps & features, version $(sed -n 's/^"DisplayVersion"="\(.*\)"/\1/p' <<<"$uninstall")"
source_key=$(registry_key 'Eventlog\\Application\\Tessaloft TQ-214]')
grep -qx '"EventMessageFile"=str(2):"C:\\\\Program Files (x86)\\\\Tessaloft\\\\TQ-214\\\\tq214.exe"' <<<"$source_key" &&
  grep -qx '"TypesSupported"=dword:00000007' <<<"$source_key"
check $? "installed: the event source's keys: $(grep -v '^\[\|^#' <<<"$source_key" | tr '\n' ' ')"
"$wine_run" "$installed/tq214.exe" --version >"$work/version" 2>/dev/null
[ "$(head -n 1 "$work/version" | tr -d '\r')" = "tq214 $version" ]
check $? "installed tq214.exe --version: $(head -n 1 "$work/version" | tr -d '\r')"

# The removal leaves nothing of the program's.
removed() {
  [ ! -e "$installed" ] && [ "$(shortcuts)" = 0 ] && [ "$(entries)" = 0 ] &&
    ! registry | grep -q 'Tessaloft'
}
msiexec /x "$windows_msi" /qn
check $? "msiexec /x $(basename "$msi") /qn: exit 0"
removed
check $? "removed: no file, no shortcut, no entry, no key that names Tessaloft"

# An older MSI, then this one: one entry, this one's files.
older_version=$version
last=${version##*.}
if [ "$last" -gt 0 ]; then older_version=${version%.*}.$((last - 1)); else older_version=0.9.0.0; fi
mkdir -p "$work/older"
cp "$work/zip"/*.exe "$work/older/"
echo "the older release" >"$work/older/README.txt"
"$source_dir/packaging/make-msi.sh" "$epoch" "$older_version" "$work/older" \
  "$work/older.msi" 2>>"$work/msiexec.log"
msiexec /i 'older.msi' /qn && msiexec /i "$windows_msi" /qn
check $? "msiexec /i an MSI of $older_version, then of $version: exit 0 twice"
uninstall=$(registry_key 'Uninstall\\{')
[ "$(entries)" = 1 ] && grep -qx "\"DisplayVersion\"=\"$version\"" <<<"$uninstall" &&
  cmp -s "$installed/README.txt" "$work/zip/README.txt"
check $? "upgraded: $(entries) entry, version $(sed -n 's/^"DisplayVersion"="\(.*\)"/\1/p' <<<"$uninstall" | tr '\n' ' ')and the newer README.txt"
msiexec /x "$windows_msi" /qn && removed
check $? "upgraded, then removed: nothing left"

if [ "$failures" != 0 ]; then
  echo "--- msiexec.log"
  tail -n 30 "$work/msiexec.log"
fi
echo "$failures check(s) failed"
[ "$failures" = 0 ]
