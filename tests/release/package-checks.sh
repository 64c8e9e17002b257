#!/usr/bin/env bash
# The Debian package that make dist wrote: lintian has no error or warning
# for it, it holds what a user needs, and the tq214 inside it, unpacked into a
# temporary root, runs. Its message catalog reads as one for tq214's four
# kinds of entry, and its service, installed but not enabled, passes
# systemd-analyze verify (skipped, 77, without systemd-analyze).
#
#   package-checks.sh DIST VERSION
set -uo pipefail
source "$(dirname "$0")/release-files.sh"
find_release_files "${1:?usage: package-checks.sh DIST VERSION}" "${2:?}"
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() {
  if [ "$1" = 0 ]; then echo "ok   $2"; else echo "FAIL $2"; failures=$((failures + 1)); fi
}

echo "package: $(basename "$deb")"
lintian --allow-root "$deb" >"$work/lintian" 2>&1
! grep -q '^[EW]:' "$work/lintian"
check $? "lintian: no errors or warnings"
sed 's/^/     /' "$work/lintian"

dpkg-deb -x "$deb" "$work/root"
for file in usr/bin/tq214 usr/share/man/man1/tq214.1.gz usr/share/bash-completion/completions/tq214 \
  usr/share/doc/tq214/copyright usr/share/doc/tq214/changelog.gz usr/share/doc/tq214/README.md.gz \
  usr/lib/systemd/system/tq214-watch.service usr/lib/systemd/catalog/tq214.catalog; do
  [ -f "$work/root/$file" ]
  check $? "the package has /$file"
done
depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libc6* && $depends == *libssl3* ]]
check $? "dependencies found by dpkg-shlibdeps: $depends"

tq214=$work/root/usr/bin/tq214
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
[ "$(grep -c ' tq214: ' "$work/catalog")" = 4 ]
check $? "the message catalog explains four kinds of entry"
sed 's/^/     /' "$work/catalog"

# Installed, not enabled: no maintainer script enables it.
! dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -q -e postinst -e preinst
check $? "the service is not enabled by the package (no maintainer scripts)"
skipped=
if command -v systemd-analyze >/dev/null; then
  # systemd's own units beside it, so that its dependencies resolve.
  cp -a --no-clobber /usr/lib/systemd/system/. "$work/root/usr/lib/systemd/system/"
  MANPATH=$work/root/usr/share/man systemd-analyze verify --root="$work/root" \
    "$work/root/usr/lib/systemd/system/tq214-watch.service" >"$work/verify" 2>&1
  [ $? = 0 ] && [ ! -s "$work/verify" ]
  check $? "systemd-analyze verify tq214-watch.service: clean"
  sed 's/^/     /' "$work/verify"
else
  skipped="no systemd-analyze: tq214-watch.service was not verified"
fi

echo "$failures check(s) failed"
[ "$failures" = 0 ] || exit 1
[ -z "$skipped" ] || { echo "SKIP: $skipped"; exit 77; }
