#!/usr/bin/env bash
# Installs what building and testing Quenvo on Debian needs. Run as root.
# --windows adds the mingw-w64 cross toolchain, Wine (32-bit) and Xvfb.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive

packages=(cmake g++ make pkg-config python3 libogg-dev libvorbis-dev libtheora-dev
          libfaudio-dev libsdl2-dev libgtest-dev libgmock-dev libbenchmark-dev libpng-dev)
if [ "${1:-}" = "--windows" ]; then
  dpkg --add-architecture i386
  packages+=(g++-mingw-w64-i686 mingw-w64-i686-dev)
fi
apt-get update -q
apt-get install -y -q --no-install-recommends "${packages[@]}"
