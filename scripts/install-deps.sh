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
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages (${missing[*]}); run as root to install them" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q "${missing[@]}"
