# shellcheck shell=bash
# What the USB harness's runs share (sourced by run-harness.sh,
# run-wine-stage.sh and run-window-stage.sh): the tools, the static guest
# programs, the Windows programs and the Wine prefix, the kernel, the
# initramfs and one bounded boot of the guest.
#
# Callers set: source_dir, work (the work directory, locked), here (tests/harness).
# shellcheck disable=SC2154

guest_build=$source_dir/build/guest

# harness_tools [TOOL...]: the harness's tools and these must be installed.
# shellcheck disable=SC2120
harness_tools() {
  local tool
  for tool in qemu-system-x86_64 busybox sg_inq sg_raw sg_write_buffer sg_reset cpio depmod modprobe \
              dpkg-deb apt-get xz timeout flock "$@"; do
    if ! command -v "$tool" >/dev/null; then
      echo "usb-harness: $tool is missing; run scripts/install-deps.sh as root" >&2
      exit 1
    fi
  done
}

# Builds the static guest programs (preset "guest"); sets tq214 and programs
# (the guest's programs, the peer tools included) and image.
build_guest_programs() {
  local targets=(tq214-usb-gadget tq214-readback-check tq214) program peer
  echo "usb-harness: building the guest programs (${targets[*]})"
  (cd "$source_dir" && cmake --preset guest >"$work/guest-configure.log" 2>&1) ||
    { cat "$work/guest-configure.log" >&2; exit 1; }
  cmake --build "$guest_build" -j "$(nproc)" --target "${targets[@]}" >"$work/guest-build.log" 2>&1 ||
    { tail -n 60 "$work/guest-build.log" >&2; exit 1; }

  tq214=$guest_build/src/cli/tq214
  programs=("$guest_build/tools/usb-gadget/tq214-usb-gadget" "$guest_build/tools/usb-gadget/tq214-readback-check"
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
}

# build_win32_programs TARGET...: builds them in the win32 tree (preset win32),
# configured first if it never was; sets win32_build.
build_win32_programs() {
  win32_build=$source_dir/build/win32
  echo "usb-harness: building $* (preset win32)"
  if [ ! -f "$win32_build/CMakeCache.txt" ]; then
    (cd "$source_dir" && cmake --preset win32 >"$work/win32-configure.log" 2>&1) ||
      { cat "$work/win32-configure.log" >&2; exit 1; }
  fi
  cmake --build "$win32_build" -j "$(nproc)" --target "$@" >"$work/win32-build.log" 2>&1 ||
    { tail -n 60 "$work/win32-build.log" >&2; exit 1; }
}

# Makes the guests' 32-bit Wine prefix (one Wine, fewer files to load than a
# 64-bit one) at $work/wine-prefix, again when Wine's own files changed: a
# prefix Wine would bring up to date first would do so inside the guest, at
# emulated speed. Sets prefix.
make_wine_prefix() {
  local wine_inf
  prefix=$work/wine-prefix
  wine_inf=$(dirname "$(dirname "$(readlink -f "$(command -v wine)")")")/share/wine/wine.inf
  [ -f "$wine_inf" ] || wine_inf=/usr/share/wine/wine.inf
  if [ ! -f "$prefix/system.reg" ] ||
    [ "$(tr -d '\r' <"$prefix/.update-timestamp" 2>/dev/null)" != "$(stat -c %Y "$wine_inf")" ]; then
    echo "usb-harness: making the Wine prefix $prefix"
    rm -rf "$prefix"
    WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
      wine wineboot --init >"$work/wine-prefix.log" 2>&1 || true
    WINEPREFIX=$prefix wineserver -w || true
    [ -f "$prefix/system.reg" ] || { cat "$work/wine-prefix.log" >&2; exit 1; }
  fi
}

# Fetches the kernel once (sets kernel) and builds the initramfs at $1.
make_guest_image() {
  echo "usb-harness: kernel"
  kernel=$("$here/kernel-cache.sh" "$work/cache")
  echo "usb-harness: kernel $(cat "$kernel/version") from $kernel"
  "$here/make-initramfs.sh" "$1" "$kernel" "$here/guest-init.sh" "$image" "${programs[@]}"
}

# boot_guest NAME SECONDS INITRAMFS APPEND [QEMU ARGUMENT...]: boots the guest
# with a hard time limit, with the CPU model $guest_cpu (max) and $guest_mib
# MiB (512). Leaves the console in $work/NAME-console.txt (the
# Linux run's as console.txt) and the summary lines in $work/NAME-summary.txt
# (summary.txt); sets status (QEMU's exit status) and boot_seconds. Exits
# when the guest ran out of time.
boot_guest() {
  local name=$1 limit=$2 initramfs=$3 append=$4 prefix
  shift 4
  prefix=$name-
  [ "$name" = linux ] && prefix=
  echo "usb-harness: booting the $name guest (QEMU, software emulation, at most ${limit} s)"
  local started
  started=$(date +%s)
  status=0
  timeout --kill-after=10 "$limit" qemu-system-x86_64 \
    -machine pc -accel tcg,thread=multi -cpu "${guest_cpu:-max}" -m "${guest_mib:-512}" -smp 2 \
    -nographic -no-reboot -nic none \
    -kernel "$kernel/vmlinux" -initrd "$initramfs" \
    -append "console=ttyS0 panic=-1 loglevel=4 rdinit=/init $append" "$@" \
    </dev/null >"$work/${prefix}console.log" 2>&1 || status=$?
  boot_seconds=$(( $(date +%s) - started ))
  tr -d '\r' <"$work/${prefix}console.log" >"$work/${prefix}console.txt"
  grep '^guest: ' "$work/${prefix}console.txt" || true
  grep -o 'SUMMARY [a-z0-9_]*=.*' "$work/${prefix}console.txt" >"$work/${prefix}summary.txt" || true
  echo "usb-harness: guest summary ($work/${prefix}summary.txt):"
  cat "$work/${prefix}summary.txt"
  echo "usb-harness: QEMU exit status $status, $name guest run ${boot_seconds} s"
  if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
    echo "usb-harness: the $name guest ran out of time; the console's last lines:" >&2
    tail -n 40 "$work/${prefix}console.txt" >&2
    exit 1
  fi
}

# boot_guest_or_again NAME ...: boot_guest with the same arguments, and once
# more when the guest says Wine's own start failed (a line "SUMMARY
# environment=..."): a failure of the environment, not of the programs under
# test. A failure of the programs is never run again.
boot_guest_or_again() {
  local environment
  boot_guest "$@"
  environment=$(sed -n 's/^SUMMARY environment=//p' "$work/$1-summary.txt" | tail -n 1)
  [ -n "$environment" ] || return 0
  echo "usb-harness: $environment in the $1 guest: a failure of the environment (Wine's own start)," \
    "not of the programs under test; the stage runs once more"
  boot_guest "$@"
}
