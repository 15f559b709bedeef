#!/usr/bin/env bash
# The Windows job: installs the cross toolchain, Wine and Xvfb; builds the codec libraries
# for i686-w64-mingw32 from Debian's sources (reused from build/windows/deps when already
# there), Quenvo.dll, ycbcr2rgb.fxo, the Direct3D 9 test host and the example host; checks
# the DLL's exports and imports; makes the release layout; runs both hosts under Wine;
# then builds, checks and runs the 64-bit build the same way. Exits non-zero on any
# failure. Run as root from anywhere.
set -euo pipefail
cd "$(dirname "$0")/.."
export DEBIAN_FRONTEND=noninteractive

step() { echo "=== windows: $*"; }

step "packages"
dpkg --add-architecture i386
apt-get update -q
apt-get install -y -q --no-install-recommends \
  cmake make pkg-config python3 dpkg-dev g++ googletest \
  g++-mingw-w64-i686 mingw-w64-i686-dev g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev \
  wine wine32 wine64 xvfb x11-utils libgl1-mesa-dri:i386 \
  libogg-dev libvorbis-dev libtheora-dev libfaudio-dev libsdl2-dev

step "cross build: codecs, Quenvo.dll, ycbcr2rgb.fxo, test host"
cmake --preset windows >/dev/null
cmake --build --preset windows -j2 --target quenvo qnv_effects quenvo_host qnv-play-d3d9

step "exports and imports"
bash tests/windows/check-dll.sh build/windows

step "release layout"
rm -rf build/windows/release
cmake --install build/windows --prefix build/windows/release >/dev/null
for file in bin/Quenvo.dll bin/ycbcr2rgb.fxo bin/qnv-play-d3d9.exe lib/Quenvo.lib \
  include/quenvo.h effects/ycbcr2rgb.fx; do
  [ -f "build/windows/release/$file" ] || { echo "release layout lacks $file"; exit 1; }
done

step "test media generator (Linux)"
mediagen=build/release/tools/mediagen/qnv-mediagen
if [ ! -x "$mediagen" ]; then
  cmake -S . -B build/windows-mediagen -DCMAKE_BUILD_TYPE=Release -DQNV_BUILD_TESTS=OFF \
    -DQNV_BUILD_EXAMPLES=OFF >/dev/null
  cmake --build build/windows-mediagen -j2 --target qnv-mediagen
  mediagen=build/windows-mediagen/tools/mediagen/qnv-mediagen
fi

step "test host under Wine"
bash tests/windows/run-host.sh build/windows "$mediagen"

# The 64-bit build (VideoInfo is 32 bytes there) runs the same host in a 64-bit prefix.
step "64-bit cross build and its host under Wine"
cmake -S . -B build/windows64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DQNV_BUILD_TESTS=OFF >/dev/null
cmake --build build/windows64 -j2 --target quenvo qnv_effects quenvo_host qnv-play-d3d9
bash tests/windows/check-dll.sh build/windows64 x86_64-w64-mingw32-objdump
bash tests/windows/run-host.sh build/windows64 "$mediagen"
