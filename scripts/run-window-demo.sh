#!/usr/bin/env bash
# The updater window's demo under Wine (make demo), on a virtual enclosure
# (arguments go to the demo, e.g. --scenario two; default: the outdated one).
# - With DISPLAY set: the window opens on that display; close it to end.
# - Without: it runs on a virtual display, presses Update by itself (through
#   WindowProbe, which drives the window through the Win32 API only) and saves
#   screenshots under build/: before the update, with its result, and after
#   the enclosure re-enumerated.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TQ214_WIN32_BUILD_DIR:-$root/build/win32}"
demo="$build/tools/window-demo/Tessaloft_Orvexa_TQ-214_demo.exe"
probe="$build/tests/platform/win32/gui/WindowProbe.exe"
run="$root/cmake/wine-run.sh"
export TQ214_WIN32_BUILD_DIR="$build"

for f in "$demo" "$probe"; do
  [ -f "$f" ] || { echo "run-window-demo: $f is not built (make demo builds it)" >&2; exit 1; }
done

if [ -n "${DISPLAY:-}" ] && [ -z "${TQ214_DEMO_HEADLESS:-}" ]; then
  echo "The updater window's demo is open on $DISPLAY; close the window to end."
  exec "$run" "$demo" "$@"
fi

if [ -z "${TQ214_DEMO_HEADLESS:-}" ]; then
  echo "No DISPLAY: running the updater window's demo on a virtual display."
  exec env TQ214_DEMO_HEADLESS=1 xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi

# On the virtual display. A prefix of its own, where Wine draws the window
# frame and caption itself (there is no window manager to do it), with the
# symbol font of the caption buttons where this Wine finds it.
export WINEPREFIX="$build/wineprefix-demo"
"$run" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
marlett=/usr/share/wine/fonts/marlett.ttf
fonts="$WINEPREFIX/drive_c/windows/Fonts"
if [ -f "$marlett" ] && [ -d "$fonts" ] && [ ! -f "$fonts/marlett.ttf" ]; then
  cp "$marlett" "$fonts/"
fi

probe() { "$run" "$probe" "$@" | tr -d '\r'; }
shot() {
  sleep 0.3  # let the last change be painted
  import -window root -crop "${geometry}" +repage "$1"
  echo "  saved $1"
}

"$run" "$demo" "$@" &
demo_pid=$!
trap 'kill "$demo_pid" 2>/dev/null || true' EXIT

read -r x y w h < <(probe ready)
geometry="${w}x${h}+${x}+${y}"
echo "The window is up (${w} x ${h} at ${x},${y}):"
shot "$root/build/demo-before-update.png"
echo "Pressing Update:"
probe update || { echo "run-window-demo: no update result" >&2; }
shot "$root/build/demo-after-update.png"
echo "Waiting for the enclosure to come back:"
probe settle || true
shot "$root/build/demo-after-reenumeration.png"
probe close >/dev/null || true
wait "$demo_pid" || true
trap - EXIT
