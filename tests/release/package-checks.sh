#!/usr/bin/env bash
# The Debian package that make dist wrote: lintian has no error or warning
# for it and nothing about hardening, hardening-check passes its program, it
# holds what a user needs, and the tq214 inside it, unpacked into a temporary
# root, runs. Its message catalog explains each kind of entry the program
# sends (its outcome table's ids), and its service, installed but not
# enabled, passes systemd-analyze verify with an exposure of 1.5 or less (skipped, 77, without
# systemd-analyze); its maintainer scripts restart the station on upgrade and
# stop it on removal. It installs the JSON Schemas of SCHEMAS (docs/schema)
# in /usr/share/tq214/schema.
#
#   package-checks.sh DIST VERSION SCHEMAS
set -uo pipefail
source "$(dirname "$0")/release-files.sh"
find_release_files "${1:?usage: package-checks.sh DIST VERSION SCHEMAS}" "${2:?}"
version=$2
schemas=${3:?usage: package-checks.sh DIST VERSION SCHEMAS}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "package: $(basename "$deb")"
lintian --allow-root --info "$deb" >"$work/lintian" 2>&1
! grep -q '^[EW]:' "$work/lintian"
check $? "lintian: no errors or warnings"
! grep -q 'hardening' "$work/lintian"
check $? "lintian: nothing about hardening"
sed 's/^/     /' "$work/lintian"

dpkg-deb -x "$deb" "$work/root"
for file in usr/bin/tq214 usr/share/man/man1/tq214.1.gz usr/share/bash-completion/completions/tq214 \
  usr/share/doc/tq214/copyright usr/share/doc/tq214/changelog.gz usr/share/doc/tq214/README.md.gz \
  usr/lib/systemd/system/tq214-watch.service usr/lib/systemd/catalog/tq214.catalog; do
  [ -f "$work/root/$file" ]
  check $? "the package has /$file"
done
same_schemas "$work/root/usr/share/tq214/schema" "$schemas"
check $? "the package has the JSON Schemas of $schemas in /usr/share/tq214/schema"
depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libc6* && $depends == *libssl3* ]]
check $? "dependencies found by dpkg-shlibdeps: $depends"

tq214=$work/root/usr/bin/tq214
# Debian's hardening: position-independent, stack protector, fortified
# functions, read-only relocations bound at start. Not control-flow
# protection: Debian 12's own start files (Scrt1.o, crti.o, crtn.o) lack its
# mark, so no program linked there has it (/bin/ls neither).
hardening-check --nocfprotection "$tq214" >"$work/hardening" 2>&1
check $? "hardening-check passes"
sed 's/^/     /' "$work/hardening"
"$tq214" --version >"$work/version" 2>&1
[ "$(head -n 1 "$work/version")" = "tq214 $version" ]
check $? "tq214 --version: $(head -n 1 "$work/version")"
"$tq214" --help >"$work/help" 2>&1
[ $? = 0 ] && [ "$(head -n 1 "$work/help")" = "Usage: tq214 [options] COMMAND" ]
check $? "tq214 --help: $(head -n 1 "$work/help")"
"$tq214" --simulate update --yes >"$work/update" 2>&1
code=$?
[ "$code" = 0 ] && grep -qx PASS "$work/update"
check $? "tq214 --simulate update --yes: exit $code, $(grep -x 'PASS\|FAIL' "$work/update")"

# A stand-in build says so in the file name and the description, and only
# a stand-in build does.
description=$(dpkg-deb -f "$deb" Description)
if grep -q 'stand-in' "$work/version"; then
  [[ $(basename "$deb") == *stand-in* && $description == *stand-in* ]]
  check $? "stand-in image: named in the file name and the description"
else
  [[ $(basename "$deb") != *stand-in* && $description != *stand-in* ]]
  check $? "the firmware image: no stand-in in the file name or the description"
fi

# The journal's catalog, built into a database under the temporary root.
journalctl --root="$work/root" --update-catalog 2>"$work/catalog" &&
  journalctl --root="$work/root" --list-catalog >>"$work/catalog" 2>&1
# One explanation for each MESSAGE_ID of the program's outcome table.
ids=$(sed -n 's/^TQ_OUTCOME([^,]*, "[^"]*", "\([0-9a-f]*\)".*/\1/p' \
  "$(dirname "$0")/../../src/cli/fleet/Outcomes.def" | sort -u)
[ -n "$ids" ] && [ "$(sed -n 's/^\([0-9a-f]*\) tq214: .*/\1/p' "$work/catalog" | sort -u)" = "$ids" ]
check $? "the message catalog explains each of the $(echo "$ids" | wc -l) kinds of entry the program sends"
sed 's/^/     /' "$work/catalog"

# Installed, upgraded and removed on this machine, with systemd stood in for
# (a mount namespace with /run/systemd/system, systemctl and
# deb-systemd-invoke that log their arguments): an upgrade restarts the
# station, removal stops it, nothing enables it, and the history stays.
# Skipped where tq214 is installed already or no namespace can be made.
maintainer_scripts() {
  mount -t tmpfs tmpfs /run && mkdir -p /run/systemd/system /var/lib/tq214 &&
    mount -t tmpfs tmpfs /var/lib/tq214 || return 2
  echo '{"kind":"update"}' >/var/lib/tq214/history.jsonl
  mkdir -p "$work/bin"
  for stub in systemctl deb-systemd-invoke; do
    printf '#!/bin/sh\necho "%s $*" >>"%s"\n' "$stub" "$work/systemd.log" >"$work/bin/$stub"
    chmod +x "$work/bin/$stub"
  done
  export PATH=$work/bin:$PATH
  dpkg-deb -R "$deb" "$work/newer" && sed -i 's/^Version: .*/&+1/' "$work/newer/DEBIAN/control" &&
    dpkg-deb -b "$work/newer" "$work/newer.deb" >/dev/null || return 2
  dpkg -i "$deb" >"$work/dpkg.log" 2>&1 && echo "-- installed" >>"$work/systemd.log" &&
    dpkg -i "$work/newer.deb" >>"$work/dpkg.log" 2>&1 && echo "-- upgraded" >>"$work/systemd.log" &&
    dpkg --purge tq214 >>"$work/dpkg.log" 2>&1 && echo "-- removed" >>"$work/systemd.log"
  [ "$(cat /var/lib/tq214/history.jsonl)" = '{"kind":"update"}' ] && echo "-- history kept" >>"$work/systemd.log"
  dpkg --purge tq214 >/dev/null 2>&1
  return 0
}
if dpkg -s tq214 >/dev/null 2>&1; then
  skipped="tq214 is installed on this machine: its install, upgrade and removal were not tried"
elif ! unshare --mount --propagation private true 2>/dev/null; then
  skipped="no mount namespace here: the package's install, upgrade and removal were not tried"
elif unshare --mount --propagation private bash -c \
  "$(declare -f maintainer_scripts); deb='$deb' work='$work' maintainer_scripts" &&
  [ -s "$work/systemd.log" ]; then
  expected="systemctl --system daemon-reload
-- installed
systemctl --system daemon-reload
deb-systemd-invoke restart tq214-watch.service
-- upgraded
deb-systemd-invoke stop tq214-watch.service
systemctl --system daemon-reload
-- removed
-- history kept"
  [ "$(cat "$work/systemd.log")" = "$expected" ]
  check $? "install, upgrade, removal: the station restarted on upgrade, stopped on removal, the history kept"
  sed 's/^/     /' "$work/systemd.log"
  ! grep -q enable "$work/systemd.log"
  check $? "nothing enables the station"
else
  echo "     $(cat "$work/dpkg.log" 2>/dev/null | tail -n 5)"
  check 1 "install, upgrade and removal of the package"
fi
skipped=
if command -v systemd-analyze >/dev/null; then
  # systemd's own units beside it, so that its dependencies resolve.
  cp -a --no-clobber /usr/lib/systemd/system/. "$work/root/usr/lib/systemd/system/"
  MANPATH=$work/root/usr/share/man systemd-analyze verify --root="$work/root" \
    "$work/root/usr/lib/systemd/system/tq214-watch.service" >"$work/verify" 2>&1
  [ $? = 0 ] && [ ! -s "$work/verify" ]
  check $? "systemd-analyze verify tq214-watch.service: clean"
  sed 's/^/     /' "$work/verify"
  exposure=$(systemd-analyze security --offline=true --root="$work/root" \
    "$work/root/usr/lib/systemd/system/tq214-watch.service" 2>&1 |
    sed -n 's/.*Overall exposure level for tq214-watch.service: \([0-9.]*\).*/\1/p')
  awk -v e="${exposure:-9}" 'BEGIN { exit !(e <= 1.5) }'
  check $? "the station's exposure (systemd-analyze security --offline): ${exposure:-none}, at most 1.5"
else
  skipped="no systemd-analyze: tq214-watch.service was not verified"
fi

echo "$failures check(s) failed"
[ "$failures" = 0 ] || exit 1
[ -z "$skipped" ] || { echo "SKIP: $skipped"; exit 77; }
