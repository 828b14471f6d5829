#!/usr/bin/env bash
# Installs the Debian packages the program and its tests need. Safe to run again.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi
PACKAGES=(
  cmake ninja-build ccache g++ pkg-config
  qt6-base-dev qt6-image-formats-plugins
  libpugixml-dev
  libavahi-compat-libdnssd-dev avahi-daemon avahi-utils dbus iproute2
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-crosextra-carlito fonts-liberation2
  xvfb xauth
)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
