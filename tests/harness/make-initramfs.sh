#!/usr/bin/env bash
# Builds the guest's initramfs (an uncompressed newc cpio): busybox with its
# applets, the kernel modules in load order, /init, the firmware image, and
# the given programs with the shared libraries they need.
#
#   make-initramfs.sh OUT.cpio KERNEL_DIR INIT IMAGE PROGRAM...
set -euo pipefail

out=${1:?usage: make-initramfs.sh OUT.cpio KERNEL_DIR INIT IMAGE PROGRAM...}
kernel=${2:?}
init=${3:?}
image=${4:?}
shift 4

stage=$(mktemp -d "$(dirname "$out")/initramfs.XXXXXX")
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage"/{bin,dev,proc,sys,run,tmp,share,lib/modules}

busybox=$(command -v busybox)
if ldd "$busybox" >/dev/null 2>&1; then
  echo "make-initramfs: $busybox is not static (install busybox-static)" >&2
  exit 1
fi
cp "$busybox" "$stage/bin/busybox"
for applet in $("$busybox" --list); do
  [ -e "$stage/bin/$applet" ] || ln -s busybox "$stage/bin/$applet"
done

version=$(cat "$kernel/version")
cp -r "$kernel/lib/modules/$version" "$stage/lib/modules/"
cp "$kernel/modules.load" "$stage/lib/modules/$version/modules.load"

copy_with_libraries() {
  local program=$1
  cp -L "$program" "$stage/bin/"
  # Dynamic programs bring their libraries and the loader at the same paths.
  ldd "$program" 2>/dev/null | grep -o '/[^ ]*' | while read -r library; do
    mkdir -p "$stage$(dirname "$library")"
    cp -L "$library" "$stage$library"
  done || true
}
for program in "$@"; do
  copy_with_libraries "$program"
done

install -m 0755 "$init" "$stage/init"
cp "$image" "$stage/share/image.bin"

(cd "$stage" && find . | LC_ALL=C sort | cpio -o -H newc -R 0:0 --quiet) > "$out"
