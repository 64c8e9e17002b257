#!/usr/bin/env bash
# Fetches the Debian kernel once and keeps what the guest needs under
# CACHE_DIR/kernel-VERSION/: the uncompressed vmlinux (boots faster under
# emulation than the bzImage), the modules below with everything they depend
# on, and modules.load, the order to insert them in. Prints that directory.
#
#   kernel-cache.sh CACHE_DIR
set -euo pipefail

cache=${1:?usage: kernel-cache.sh CACHE_DIR}
mkdir -p "$cache"
cache=$(cd "$cache" && pwd)

# The crc modules first: sd_mod's integrity helpers look for a crct10dif
# implementation when they load. 9p and overlay let the Wine stage reach the
# host's files read-only and write over them.
modules=(
  crct10dif_generic crct10dif-pclmul crc64_rocksoft_generic
  configfs libcomposite usb_f_fs dummy_hcd
  usb_storage sd_mod sg
  virtio_pci 9pnet_virtio 9p overlay
)
wanted="${modules[*]}"

# A cache made for another list of modules is made again.
for dir in "$cache"/kernel-*; do
  if [ -f "$dir/vmlinux" ] && [ -f "$dir/modules.load" ] &&
    [ "$(cat "$dir/modules.wanted" 2>/dev/null)" = "$wanted" ]; then
    echo "$dir"
    exit 0
  fi
done

work=$(mktemp -d "$cache/fetch.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

download() {
  if ! apt-get download "$@" >/dev/null 2>&1; then
    # A machine whose package lists were never fetched knows no versions yet.
    apt-get update -q >/dev/null
    apt-get download "$@" >/dev/null
  fi
}

download linux-image-amd64
image=$(dpkg-deb -f linux-image-amd64_*.deb Depends | grep -o 'linux-image-[0-9][^ ,]*-amd64' | head -n 1)
[ -n "$image" ] || { echo "kernel-cache: linux-image-amd64 names no kernel package" >&2; exit 1; }
version=${image#linux-image-}
download "$image"
dpkg-deb -x "$image"_*.deb root

# The bzImage carries vmlinux as an xz stream.
vmlinuz=root/boot/vmlinuz-$version
offset=$(LC_ALL=C grep -obUaP '\xFD7zXZ\x00' "$vmlinuz" | head -n 1 | cut -d: -f1)
[ -n "$offset" ] || { echo "kernel-cache: no xz stream in $vmlinuz" >&2; exit 1; }
tail -c +"$((offset + 1))" "$vmlinuz" | xz -dc --single-stream > vmlinux 2>/dev/null || true
if ! head -c 4 vmlinux | grep -q 'ELF'; then
  echo "kernel-cache: could not unpack vmlinux from $vmlinuz" >&2
  exit 1
fi

depmod -b root "$version"
out=$work/kernel-$version
mkdir -p "$out/lib/modules/$version"
: > "$out/modules.load"
for module in "${modules[@]}"; do
  modprobe -d root -S "$version" --show-depends "$module"
done | awk '$1 == "insmod" && !seen[$2]++ { print $2 }' | while read -r path; do
  relative=${path#"$work/root/lib/modules/$version/"}
  mkdir -p "$out/lib/modules/$version/$(dirname "$relative")"
  cp "$path" "$out/lib/modules/$version/$relative"
  echo "$relative" >> "$out/modules.load"
done
mv vmlinux "$out/vmlinux"
echo "$version" > "$out/version"
echo "$wanted" > "$out/modules.wanted"
rm -rf "$cache/kernel-$version"
mv "$out" "$cache/kernel-$version"
echo "$cache/kernel-$version"
