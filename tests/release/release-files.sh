# What the tests of the release files share (sourced). find_release_files:
# the release files in DIST that make dist wrote for VERSION. Sets deb, zip
# and msi; ends the test as skipped (77) when there are none yet, and fails
# when there are several of one kind.
find_release_files() {
  local dist=$1 version=$2
  shopt -s nullglob
  local debs=("$dist"/tq214_"$version"*_amd64.deb)
  local zips=("$dist"/Tessaloft_Orvexa_TQ-214-"$version"*-win32.zip)
  local msis=("$dist"/Tessaloft_Orvexa_TQ-214-"$version"*-win32.msi)
  shopt -u nullglob
  if [ ${#debs[@]} -eq 0 ] && [ ${#zips[@]} -eq 0 ]; then
    echo "no release files of $version in $dist: make dist (make test does) writes them"
    exit 77
  fi
  if [ ${#debs[@]} -ne 1 ] || [ ${#zips[@]} -ne 1 ] || [ ${#msis[@]} -ne 1 ]; then
    echo "expected one package, one zip and one MSI of $version in $dist, found:" \
      "${debs[*]} ${zips[*]} ${msis[*]}" >&2
    exit 1
  fi
  deb=${debs[0]}
  zip=${zips[0]}
  msi=${msis[0]}
}

# Copies the release files in DIST, with SHA256SUMS, into WORK and unpacks
# the zip and the package there into folders of their names, as a user
# would: there every line of SHA256SUMS names a file.
unpack_beside() {
  local dist=$1 work=$2
  mkdir -p "$work"
  cp "$dist/SHA256SUMS" "$deb" "$zip" "$msi" "$work/"
  unzip -q "$work/$(basename "$zip")" -d "$work/$(basename "$zip" .zip)"
  dpkg-deb -x "$work/$(basename "$deb")" "$work/$(basename "$deb" .deb)"
}

# Changes the byte at OFFSET of FILE (inverts its bits).
change_byte() {
  local file=$1 offset=$2 byte
  byte=$(od -An -tu1 -j "$offset" -N1 "$file" | tr -d ' ')
  printf "\\$(printf %03o $((byte ^ 255)))" | dd of="$file" bs=1 seek="$offset" conv=notrunc 2>/dev/null
}

# The names that SHA256SUMS must list, sorted: the zip, the MSI and the
# package, and the programs as they unpack.
expected_names() {
  local folder package
  folder=$(basename "$zip" .zip)
  package=$(basename "$deb" .deb)
  printf '%s\n' "$(basename "$zip")" "$(basename "$msi")" "$folder/Tessaloft_Orvexa_TQ-214.exe" \
    "$folder/tq214.exe" \
    "$(basename "$deb")" "$package/usr/bin/tq214" | LC_ALL=C sort
}
summed_names() {
  cut -d ' ' -f 3- "$1" | LC_ALL=C sort
}

# Whether FOLDER holds the JSON Schemas of SOURCE (docs/schema), each whole,
# and nothing else; says what differs.
same_schemas() {
  local folder=$1 source=$2
  [ -d "$folder" ] || { echo "     no $folder"; return 1; }
  diff -r "$source" "$folder" | sed 's/^/     /'
  [ "${PIPESTATUS[0]}" = 0 ] && [ -n "$(ls "$folder")" ]
}

# check STATUS TEXT: one line "ok   TEXT" or "FAIL TEXT"; failures counts the latter.
failures=0
check() {
  if [ "$1" = 0 ]; then echo "ok   $2"; else echo "FAIL $2"; failures=$((failures + 1)); fi
}
