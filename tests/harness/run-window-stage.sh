#!/usr/bin/env bash
# The USB harness's window stage: the unmodified updater window
# (Tessaloft_Orvexa_TQ-214.exe, the stand-in build) under the host's Wine in
# the QEMU guest finds the virtual enclosure by itself through Wine's SetupAPI,
# opens it by its interface path and drives it through Wine's pass-through and
# the kernel's usb-storage, and follows the device changes the kernel reports.
# A stand-in supplies only what Windows' plug-and-play manager would present
# (the disk interface and the device-change broadcast, from the guest's
# uevents); a driver program reads and presses the window's controls. One
# boot, six runs, each witnessed by the gadget's own command log; the guest
# reaches the host's files read-only over 9p, as the Wine stage does.
#
# Builds what it needs (the guest programs; the window, the stand-in and the
# driver in the win32 tree), makes the prefix once, boots the guest with a
# hard time limit, keeps the screenshot of the window showing PASS
# (WORK_DIR/window-pass.png) and checks the summary.
#
#   run-window-stage.sh SOURCE_DIR [WORK_DIR]     (WORK_DIR: SOURCE_DIR/build/usb-harness)
set -euo pipefail

source_dir=$(cd "${1:?usage: run-window-stage.sh SOURCE_DIR [WORK_DIR]}" && pwd)
work=${2:-$source_dir/build/usb-harness}
here=$(cd "$(dirname "$0")" && pwd)
qemu_limit=${TQ214_HARNESS_WINDOW_SECONDS:-2700}
mkdir -p "$work"
exec 9>"$work/harness.lock"
flock 9
started=$(date +%s)

# shellcheck source=tests/harness/harness-lib.sh
source "$here/harness-lib.sh"
harness_tools wine wineserver Xvfb import
build_guest_programs
build_win32_programs Tessaloft_Orvexa_TQ-214 tq214-pnp-standin tq214-window-driver wine-desktop-check
for program in src/app/Tessaloft_Orvexa_TQ-214.exe tools/wine-pnp/tq214-pnp-standin.exe \
               tests/harness/window/tq214-window-driver.exe tests/support/wine/wine-desktop-check.exe; do
  [ -f "$win32_build/$program" ] || { echo "usb-harness: the win32 build made no $program" >&2; exit 1; }
done
make_wine_prefix

case "$prefix$win32_build" in
  *[[:space:]]*) echo "usb-harness: the guest takes these paths on its kernel command line: no blanks ($prefix, $win32_build)" >&2
                 exit 1 ;;
esac

# Wine's desktop is brought up as on the host, by the same script.
programs+=("$source_dir/tests/support/wine/wine-desktop.sh")
make_guest_image "$work/initramfs.cpio"
rm -f "$work/window-pass.png"
# As for the Wine stage: no SMAP in the emulated CPU (docs/usb-harness.md).
# The X server and three Wine programs besides Wine's own services: 1.5 GiB.
guest_cpu=max,-smap guest_mib=1536 \
  boot_guest_or_again window "$qemu_limit" "$work/initramfs.cpio" \
  "tq214_stage=window tq214_wine_prefix=$prefix tq214_win32_build=$win32_build" \
  -virtfs local,path=/,mount_tag=host,security_model=none,readonly=on,multidevs=remap

# The screenshot came over the console in base64.
awk '$0 == "SCREENSHOT-END window-pass" { on = 0 } on { print } $0 == "SCREENSHOT-BEGIN window-pass" { on = 1 }' \
  "$work/window-console.txt" | base64 -d >"$work/window-pass.png" 2>/dev/null || true
if [ -s "$work/window-pass.png" ]; then
  echo "usb-harness: the window showing PASS in the guest: $work/window-pass.png"
else
  rm -f "$work/window-pass.png"
  echo "usb-harness: no screenshot came out of the guest" >&2
fi
echo "usb-harness: window stage $(( $(date +%s) - started )) s"

"$here/check-summary.sh" --window "$work/window-summary.txt"
