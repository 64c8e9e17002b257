#!/usr/bin/env bash
# The USB harness: the virtual enclosure as a real USB device to a real Linux
# kernel, driven by tq214 and sg3_utils inside a QEMU guest (software
# emulation). Builds the static guest programs (CMake preset "guest"), fetches
# the Debian kernel once, builds the initramfs, boots it with a hard time
# limit, prints the guest's summary and checks it.
#
#   run-harness.sh SOURCE_DIR [WORK_DIR]     (WORK_DIR: SOURCE_DIR/build/usb-harness)
set -euo pipefail

source_dir=$(cd "${1:?usage: run-harness.sh SOURCE_DIR [WORK_DIR]}" && pwd)
work=${2:-$source_dir/build/usb-harness}
here=$(cd "$(dirname "$0")" && pwd)
qemu_limit=${TQ214_HARNESS_QEMU_SECONDS:-1200}
# TQ214_HARNESS_VERBOSE=1: the device program logs every command and ep0 event.
extra_append=
[ "${TQ214_HARNESS_VERBOSE:-0}" = 1 ] && extra_append=" tq214_verbose=1"
mkdir -p "$work"
# One run at a time per work directory: it owns the guest build and the image.
exec 9>"$work/harness.lock"
flock 9
started=$(date +%s)

# shellcheck source=tests/harness/harness-lib.sh
source "$here/harness-lib.sh"
# shellcheck disable=SC2119
harness_tools
build_guest_programs
make_guest_image "$work/initramfs.cpio"
boot_guest linux "$qemu_limit" "$work/initramfs.cpio" "tq214_stage=linux$extra_append"
echo "usb-harness: harness $(( $(date +%s) - started )) s"

# The sessions recorded in the guest, replayed here by the same program: the
# same verdicts as the live runs in the guest.
sessions=$work/sessions
mkdir -p "$sessions"
for name in info update; do
  awk -v name="$name" '$0 == "SESSION-END " name { on = 0 } on { print } $0 == "SESSION-BEGIN " name { on = 1 }' \
    "$work/console.txt" | base64 -d >"$sessions/$name-session.json" 2>/dev/null || true
done
replay_status=0
"$tq214" --replay "$sessions/info-session.json" info >"$sessions/info-replay.out" 2>&1 || replay_status=1
"$tq214" --replay "$sessions/update-session.json" update --yes >"$sessions/update-replay.out" 2>&1 ||
  replay_status=1
if [ $replay_status -eq 0 ] && grep -qF 'Chip FW Version[  21.32.00.01  ]' "$sessions/info-replay.out" &&
  grep -qx PASS "$sessions/update-replay.out"; then
  echo "usb-harness: the sessions recorded in the guest replay here: info as before, update PASS"
  echo "usb-harness: recorded sessions in $sessions (tests/data/kernel-update-session.json is such a one)"
else
  echo "usb-harness: the sessions recorded in the guest do not replay here:" >&2
  cat "$sessions/info-replay.out" "$sessions/update-replay.out" >&2
  exit 1
fi

"$here/check-summary.sh" "$work/summary.txt"
