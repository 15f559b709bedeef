#!/usr/bin/env bash
# Builds the demo player (release preset) and plays its built-in sample: a few seconds of
# generated video with music, made at build time. Headless by default: the sound is
# captured through SDL's disk driver. Everything it writes goes to out/ (frame PNGs,
# contact sheet, WAV, the library's log and a summary).
#   scripts/demo.sh                     the sample, headless
#   scripts/demo.sh --window            in a window, with sound on the sound device
#   scripts/demo.sh --video F.ogv ...   any other qnv-play options (see --help)
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset release
cmake --build --preset release --target qnv-play -j"$(nproc)"

out=out
windowed=no
previous=
for argument in "$@"; do
  [ "$argument" = "--window" ] && windowed=yes
  [ "$previous" = "--out" ] && out=$argument
  previous=$argument
done
if [ "$windowed" = no ]; then
  export SDL_AUDIODRIVER=disk
fi
build/release/examples/qnv-play/qnv-play --out "$out" "$@"
case "$out" in /*) ;; *) out="$PWD/$out" ;; esac
echo "Output: $out (frames/, contact.png, audio.wav, summary.txt, qnv_log.txt)"
