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
guest_build=$source_dir/build/guest
qemu_limit=${TQ214_HARNESS_QEMU_SECONDS:-420}
# TQ214_HARNESS_VERBOSE=1: the device program logs every command and ep0 event.
extra_append=
[ "${TQ214_HARNESS_VERBOSE:-0}" = 1 ] && extra_append=" tq214_verbose=1"
mkdir -p "$work"
# One run at a time per work directory: it owns the guest build and the image.
exec 9>"$work/harness.lock"
flock 9
started=$(date +%s)

for tool in qemu-system-x86_64 busybox sg_inq sg_raw sg_write_buffer sg_reset cpio depmod modprobe \
            dpkg-deb apt-get xz timeout flock; do
  if ! command -v "$tool" >/dev/null; then
    echo "usb-harness: $tool is missing; run scripts/install-deps.sh as root" >&2
    exit 1
  fi
done

targets=(tq214-usb-gadget tq214-readback-check tq214)
echo "usb-harness: building the guest programs (${targets[*]})"
(cd "$source_dir" && cmake --preset guest >"$work/guest-configure.log" 2>&1) ||
  { cat "$work/guest-configure.log" >&2; exit 1; }
cmake --build "$guest_build" -j "$(nproc)" --target "${targets[@]}" >"$work/guest-build.log" 2>&1 ||
  { tail -n 60 "$work/guest-build.log" >&2; exit 1; }

tq214=$guest_build/src/cli/tq214
programs=("$guest_build/src/usbgadget/tq214-usb-gadget" "$guest_build/src/usbgadget/tq214-readback-check"
          "$tq214")
for program in "${programs[@]}"; do
  [ -x "$program" ] || { echo "usb-harness: the guest build made no $program" >&2; exit 1; }
  if ldd "$program" >/dev/null 2>&1; then
    echo "usb-harness: $program is not linked statically" >&2
    exit 1
  fi
done
for peer in sg_inq sg_raw sg_write_buffer sg_reset; do
  programs+=("$(command -v "$peer")")
done

image=$guest_build/generated/firmware/TBR640_ORVEXA.bin
[ -f "$image" ] || { echo "usb-harness: no firmware image at $image" >&2; exit 1; }

echo "usb-harness: kernel"
kernel=$("$here/kernel-cache.sh" "$work/cache")
echo "usb-harness: kernel $(cat "$kernel/version") from $kernel"

"$here/make-initramfs.sh" "$work/initramfs.cpio" "$kernel" "$here/guest-init.sh" "$image" \
  "${programs[@]}"

echo "usb-harness: booting the guest (QEMU, software emulation, at most ${qemu_limit} s)"
boot_started=$(date +%s)
status=0
timeout --kill-after=10 "$qemu_limit" qemu-system-x86_64 \
  -machine pc -accel tcg,thread=multi -cpu max -m 512 -smp 2 \
  -nographic -no-reboot -nic none \
  -kernel "$kernel/vmlinux" -initrd "$work/initramfs.cpio" \
  -append "console=ttyS0 panic=-1 loglevel=4 rdinit=/init$extra_append" \
  </dev/null >"$work/console.log" 2>&1 || status=$?
boot_seconds=$(( $(date +%s) - boot_started ))
tr -d '\r' <"$work/console.log" >"$work/console.txt"
grep '^guest: ' "$work/console.txt" || true
grep -o 'SUMMARY [a-z0-9_]*=.*' "$work/console.txt" >"$work/summary.txt" || true
echo "usb-harness: guest summary ($work/summary.txt):"
cat "$work/summary.txt"
echo "usb-harness: QEMU exit status $status, guest run ${boot_seconds} s, harness $(( $(date +%s) - started )) s"
if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
  echo "usb-harness: the guest ran out of time; the console's last lines:" >&2
  tail -n 40 "$work/console.txt" >&2
  exit 1
fi

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
