#!/usr/bin/env bash
# The README's install lines name the files that make dist wrote. The names
# carry "-stand-in" right after the version when the build has the stand-in
# image, and the zip's and the MSI's names "-unsigned" after that when its programs are not
# signed, which is what make dist writes without FIRMWARE_IMAGE and without a
# certificate; the install lines name that form, and the README names the
# form of a release (the real image, signed) too. Any other release file name
# in the README (another version, a tag in another place) is stale.
#
#   readme-names.sh README DIST VERSION
set -uo pipefail
readme=${1:?usage: readme-names.sh README DIST VERSION}
source "$(dirname "$0")/release-files.sh"
find_release_files "${2:?}" "${3:?}"
version=$3
tag=-stand-in

# Release file names as whole words: after a blank, a backtick, "./" or "dist/".
names_in() {
  grep -oE '(tq214_[A-Za-z0-9.~+-]+_amd64\.deb|Tessaloft_Orvexa_TQ-214-[A-Za-z0-9.~+-]+-win32\.(zip|msi))' | sort -u
}
install_names=$(grep -E '^[[:space:]]*(sudo apt install|Expand-Archive|msiexec /i) ' "$readme" | names_in)
all_names=$(names_in <"$readme")
echo "install lines name: $(echo $install_names)"

known=()
for file in "$deb" "$zip" "$msi"; do
  built=$(basename "$file")
  unsigned=
  [ "$file" != "$deb" ] && unsigned=-unsigned
  # Split at the version: the tags, when there are any, follow it.
  before=${built%%"$version"*}
  after=${built#*"$version"}
  after=${after#"$tag"}
  after=${after#"$unsigned"}
  plain=$before$version$tag$unsigned$after
  release=$before$version$after
  known+=("$plain" "$release" "$before$version$tag$after" "$before$version$unsigned$after")
  grep -qxF -- "$plain" <<<"$install_names"
  check $? "an install line names $plain (make dist wrote $built)"
  grep -qxF -- "$release" <<<"$all_names"
  check $? "the README names $release, as a signed build with the real image writes it"
done

for name in $all_names; do
  printf '%s\n' "${known[@]}" | grep -qxF -- "$name"
  check $? "$name is a name make dist writes"
done

echo "$failures check(s) failed"
[ "$failures" = 0 ]
