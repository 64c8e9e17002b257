#!/usr/bin/env bash
# Installs what the build, the tests and the demo need on Debian 12. Idempotent:
# when every package is already installed it changes nothing and does not touch
# the network.
set -euo pipefail

packages=(
  cmake make g++ googletest libgtest-dev libbenchmark-dev libssl-dev nlohmann-json3-dev
  pkg-config libsystemd-dev dbus-daemon python3-dbusmock python3-jsonschema
  systemd prometheus-node-exporter
  clang libclang-rt-14-dev
  g++-mingw-w64-i686
  wine wine32:i386 wine64
  xvfb xauth xdotool imagemagick
  qemu-system-x86 busybox-static sg3-utils cpio kmod xz-utils
  git python3 scdoc man-db groff-base dpkg-dev lintian zip unzip
  osslsigncode gnupg openssl
  wixl msitools
  tmux time
)
# Installed without what they recommend (some hundred megabytes for
# devscripts): hardening-check, the PE parser of the release checks and the
# compound-file writer that makes the MSI reproducible (packaging/msi-fix.py).
lean_packages=(devscripts python3-pefile python3-olefile)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
lean_missing=()
for p in "${lean_packages[@]}"; do
  installed "$p" || lean_missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ] && [ ${#lean_missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages (${missing[*]} ${lean_missing[*]}); run as root to install them" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]} ${lean_missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
if [ ${#missing[@]} -gt 0 ]; then
  apt-get install -y -q "${missing[@]}"
fi
if [ ${#lean_missing[@]} -gt 0 ]; then
  apt-get install -y -q --no-install-recommends "${lean_missing[@]}"
fi
