#!/usr/bin/env bash
# The USB harness's Wine stage: the Windows build's tq214.exe, under the host's
# Wine inside the QEMU guest, drives the virtual enclosure through its own
# pass-through backend: the 44-byte record goes to DeviceIoControl, Wine makes
# it SG_IO on the disk node behind drive E: ("e::" in the prefix), and the
# kernel's usb-storage carries it to the USB device. The guest reaches the
# host's files read-only over 9p (Wine, the prefix, tq214.exe) and writes over
# them in memory.
#
# Builds what it needs (the guest programs, tq214.exe), makes the 32-bit Wine
# prefix once, boots the guest with a hard time limit (once more when Wine's
# own start failed in it) and checks its summary.
#
#   run-wine-stage.sh SOURCE_DIR [WORK_DIR]     (WORK_DIR: SOURCE_DIR/build/usb-harness)
set -euo pipefail

source_dir=$(cd "${1:?usage: run-wine-stage.sh SOURCE_DIR [WORK_DIR]}" && pwd)
work=${2:-$source_dir/build/usb-harness}
here=$(cd "$(dirname "$0")" && pwd)
qemu_limit=${TQ214_HARNESS_WINE_SECONDS:-1200}
mkdir -p "$work"
exec 9>"$work/harness.lock"
flock 9
started=$(date +%s)

# shellcheck source=tests/harness/harness-lib.sh
source "$here/harness-lib.sh"
harness_tools wine wineserver
build_guest_programs

build_win32_programs tq214
exe=$win32_build/src/cli/tq214.exe
[ -f "$exe" ] || { echo "usb-harness: the win32 build made no $exe" >&2; exit 1; }
make_wine_prefix

case "$prefix$exe" in
  *[[:space:]]*) echo "usb-harness: the guest takes these paths on its kernel command line: no blanks ($prefix, $exe)" >&2
                 exit 1 ;;
esac

# Wine's start is checked as on the host, by the same script.
programs+=("$source_dir/tests/support/wine/wine-desktop.sh")
make_guest_image "$work/initramfs.cpio"
# QEMU 7.2's emulated CPU with SMAP ends the first 32-bit Wine process in a
# kernel oops at its IRET; without SMAP it runs (docs/usb-harness.md, the Wine stage).
guest_cpu=max,-smap guest_mib=1024 \
  boot_guest_or_again wine "$qemu_limit" "$work/initramfs.cpio" \
  "tq214_stage=wine tq214_wine_prefix=$prefix tq214_wine_exe=$exe" \
  -virtfs local,path=/,mount_tag=host,security_model=none,readonly=on,multidevs=remap
echo "usb-harness: Wine stage $(( $(date +%s) - started )) s"

"$here/check-summary.sh" --wine "$work/wine-summary.txt"
