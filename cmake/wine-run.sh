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
  # A display of its own: the program is alone on it, and a console program
  # needs no desktop. Tests that open windows say so (TQ214_WINE_WINDOWS=1).
  [ "${TQ214_WINE_WINDOWS:-0}" = 1 ] || export TQ214_WINE_DESKTOP_CHECK=none
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$exe" "$@"
fi

# With a display the caller gave (several programs may share it) or for a
# test that opens windows, Wine's desktop comes up first, alone (one program at a time
# per prefix: two at once would each start it), so that a program that opens a
# window finds it there (tests/support/wine/wine-desktop.sh). When Wine's own
# start fails, that is said as such and tried once more with a fresh server.
# The check that finds it up holds it until the program has ended: Wine
# closes a desktop no program uses, and a program slow to start on a busy
# machine would otherwise meet none (a hold of 5 s did not cover that).
check="${TQ214_WINE_DESKTOP_CHECK:-$build_dir/tests/support/wine/wine-desktop-check.exe}"
if [ -n "${DISPLAY:-}" ] && [ -f "$check" ]; then
  # shellcheck source=tests/support/wine/wine-desktop.sh
  source "$(dirname "$0")/../tests/support/wine/wine-desktop.sh"
  limit="${TQ214_WINE_DESKTOP_SECONDS:-300}"
  said=$(mktemp)
  desktop=up
  {
    flock 9
    # The server and the services it starts stay: they must not hold the lock.
    if wine_desktop_known_up "$WINEPREFIX.desktop"; then
      :
    elif ! wine_desktop_up "$check" "$limit" 0 >"$said" 2>&1 9>&-; then
      echo "wine-run: a failure of the environment (Wine's own start), not of $(basename "$exe"): once more" >>"$said"
      wineserver -k >/dev/null 2>&1 9>&-
      wine_desktop_up "$check" "$limit" 0 >>"$said" 2>&1 9>&- || desktop=down
    fi
    [ "$desktop" = down ] || wine_desktop_note_up "$WINEPREFIX.desktop"
  } 9>"$WINEPREFIX.desktop.lock"
  # Silent when it came up at once: the programs' own output is compared.
  grep -q "once more" "$said" && cat "$said" >&2
  rm -f "$said"
  if [ "$desktop" = down ]; then
    echo "wine-run: Wine's desktop did not come up twice: a failure of the environment, not of $(basename "$exe")" >&2
    exit 1
  fi
  if [ -n "${WINE_DESKTOP_HOLDER:-}" ]; then
    # This process becomes the program (its pid, its signals); a watcher
    # ends the holder once the program is gone.
    program=$$
    (
      while kill -0 "$program" 2>/dev/null; do sleep 1; done
      kill "$WINE_DESKTOP_HOLDER" 2>/dev/null
    ) </dev/null >/dev/null 2>&1 9>&- &
  fi
fi
exec "$wine_bin" "$exe" "$@"
