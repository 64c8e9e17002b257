#!/usr/bin/env bash
# Runs a Windows program under Wine for CTest. The Wine prefix lives in the
# build tree; no Mono or Gecko installer is ever started; a virtual X display is
# started when none is set, so that programs that open windows work headless.
set -euo pipefail

exe="$1"
shift
build_dir="${TQ214_WIN32_BUILD_DIR:-$(cd "$(dirname "$exe")" && pwd)}"
while [ ! -f "$build_dir/CMakeCache.txt" ] && [ "$build_dir" != "/" ]; do
  build_dir="$(dirname "$build_dir")"
done

export WINEPREFIX="${WINEPREFIX:-$build_dir/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEARCH="${WINEARCH:-win64}"

wine_bin="$(command -v wine || true)"
if [ -z "$wine_bin" ]; then
  echo "wine-run: wine is not installed (run scripts/install-deps.sh)" >&2
  exit 1
fi

# Creating the prefix is slow and must not happen twice at once.
mkdir -p "$(dirname "$WINEPREFIX")"
(
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$wine_bin" wineboot --init >/dev/null 2>&1 || true
    wineserver -w || true
  fi
) 9>"$WINEPREFIX.lock"

if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$wine_bin" "$exe" "$@"
fi
exec "$wine_bin" "$exe" "$@"
