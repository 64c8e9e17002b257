# The release files in DIST that make dist wrote for VERSION, for the tests
# that check them (sourced). Sets deb and zip; ends the test as skipped (77)
# when there are none yet, and fails when there are several of one kind.
find_release_files() {
  local dist=$1 version=$2
  shopt -s nullglob
  local debs=("$dist"/tq214_"$version"*_amd64.deb)
  local zips=("$dist"/Tessaloft_Orvexa_TQ-214-"$version"*-win32.zip)
  shopt -u nullglob
  if [ ${#debs[@]} -eq 0 ] && [ ${#zips[@]} -eq 0 ]; then
    echo "no release files of $version in $dist: make dist (make test does) writes them"
    exit 77
  fi
  if [ ${#debs[@]} -ne 1 ] || [ ${#zips[@]} -ne 1 ]; then
    echo "expected one package and one zip of $version in $dist, found: ${debs[*]} ${zips[*]}" >&2
    exit 1
  fi
  deb=${debs[0]}
  zip=${zips[0]}
}
