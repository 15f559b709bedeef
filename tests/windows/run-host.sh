#!/bin/sh
# Runs the Direct3D 9 test host (and the example host) under Wine, headless: Xvfb for the
# display, a Wine prefix inside the build tree, a null ALSA output so XAudio2 gets a
# mastering voice. Each test runs in its own process and its own folder (a fresh library,
# its own log file), with the generated media beside it. Exits non-zero when any test
# fails, is skipped or hangs.
#
# usage: run-host.sh WINDOWS_BUILD_DIR QNV_MEDIAGEN
#   WINDOWS_BUILD_DIR  the mingw build: Quenvo.dll, quenvo_host.exe, ycbcr2rgb.fxo and,
#                      when built, qnv-play-d3d9.exe
#   QNV_MEDIAGEN       the Linux build's qnv-mediagen, which makes the media
#
# Test suites with their own set-up:
#   MissingEffect  runs in a folder without ycbcr2rgb.fxo
#   NoAudioEngine  runs with Wine's xaudio2_5.dll switched off
set -eu

build=$(cd "${1:?usage: run-host.sh WINDOWS_BUILD_DIR QNV_MEDIAGEN}" && pwd)
mediagen=${2:?usage: run-host.sh WINDOWS_BUILD_DIR QNV_MEDIAGEN}
host_exe="$build/quenvo_host.exe"
run="$build/host-run"
test_timeout=${QNV_HOST_TEST_TIMEOUT:-300}

say() { echo "run-host: $*"; }

for file in "$host_exe" "$build/Quenvo.dll" "$build/ycbcr2rgb.fxo" "$mediagen"; do
    [ -e "$file" ] || { say "missing $file"; exit 2; }
done

# The PE header's machine field says whether the host is a 32-bit or a 64-bit program;
# each kind gets a Wine prefix of its own kind.
pe_header=$(od -An -tu4 -j60 -N4 "$host_exe" | tr -d ' ')
case $(od -An -tx2 -j$((pe_header + 4)) -N2 "$host_exe" | tr -d ' ') in
8664) export WINEARCH=win64 ;;
*) export WINEARCH=win32 ;;
esac
export WINEPREFIX="$build/wine-prefix"
export WINEDEBUG=-all
# ALSA reads ~/.asoundrc: a home of our own gives Wine a null default output.
export HOME="$build/wine-home"
mkdir -p "$HOME" "$run"
cat >"$HOME/.asoundrc" <<'EOF'
pcm.!default {
    type null
}
EOF

xvfb_pid=""
cleanup() {
    wineserver -k 2>/dev/null || true
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
    fi
}
trap cleanup EXIT INT TERM

# A display: the caller's if it answers, else an Xvfb of our own.
start_display() {
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
        return
    fi
    for n in 99 98 97 96 95 94; do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$run/xvfb.log" 2>&1 &
        xvfb_pid=$!
        export DISPLAY=":$n"
        for _ in 1 2 3 4 5 6 7 8 9 10; do
            [ -e "/tmp/.X11-unix/X$n" ] && return
            sleep 0.5
        done
        say "Xvfb did not start on :$n"
        exit 2
    done
    say "no free X display number"
    exit 2
}

# The Wine prefix, made once; a crashing program must end, not wait in a debugger.
init_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        say "initialising the Wine prefix (wineboot -i)"
        # Without mscoree and mshtml, wineboot offers no Mono or Gecko download to wait on.
        WINEDLLOVERRIDES="mscoree,mshtml=" timeout 600 wineboot -i >"$run/wineboot.log" 2>&1 ||
            { cat "$run/wineboot.log"; exit 2; }
    fi
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
        /v Debugger /d false /f >/dev/null 2>&1
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
        /v Auto /d 1 /f >/dev/null 2>&1
}

# The media; the numbers match tests/windows/HostMedia.h.
make_media() {
    media="$run/media"
    mkdir -p "$media"
    "$mediagen" theora "$media/video.ogv" --size 192x144 --picture 8,8,176x128 --fps 25/1 \
        --aspect 4:3 --frames 100
    "$mediagen" vorbis "$media/music.ogg" --channels 2 --rate 44100 --seconds 6
}

# Runs one test in a folder of its own; 0 when it passed.
run_test() {
    name=$1
    dir="$run/tests/$name"
    rm -rf "$dir"
    mkdir -p "$dir"
    cp "$run/media/video.ogv" "$run/media/music.ogg" "$dir/"
    overrides=""
    engine=""
    case "$name" in
    MissingEffect.*) ;;
    NoAudioEngine.*)
        cp "$build/ycbcr2rgb.fxo" "$dir/"
        overrides="xaudio2_5="
        engine=disabled
        ;;
    *) cp "$build/ycbcr2rgb.fxo" "$dir/" ;;
    esac
    status=0
    (cd "$dir" && WINEDLLOVERRIDES="$overrides" QNV_HOST_AUDIO_ENGINE="$engine" \
        timeout -k 10 "$test_timeout" wine "$host_exe" --gtest_filter="$name" \
        >"$dir/output.txt" 2>"$dir/wine-stderr.txt") || status=$?
    if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
        say "HUNG   $name (killed after ${test_timeout}s)"
        wineserver -k 2>/dev/null || true
        return 1
    fi
    if [ "$status" -ne 0 ] || ! grep -q '^\[  PASSED  \] 1 test' "$dir/output.txt" ||
        grep -q '^\[  SKIPPED \]' "$dir/output.txt"; then
        say "FAILED $name (exit $status)"
        cat "$dir/output.txt"
        [ -f "$dir/qnv_log.txt" ] && { echo "--- qnv_log.txt"; cat "$dir/qnv_log.txt"; echo; }
        return 1
    fi
    say "passed $name"
}

# The example host plays two seconds of the media; 0 when it exited cleanly and the
# library logged no failed call (warnings are allowed: under Wine the audio position
# moves in steps of about 0.1 s, so the audio clock resynchronises often).
run_example() {
    dir="$run/tests/example"
    rm -rf "$dir"
    mkdir -p "$dir"
    cp "$run/media/video.ogv" "$run/media/music.ogg" "$build/ycbcr2rgb.fxo" "$dir/"
    status=0
    (cd "$dir" && timeout -k 10 "$test_timeout" wine "$build/qnv-play-d3d9.exe" --hidden \
        --seconds 2 video.ogv music.ogg >"$dir/output.txt" 2>"$dir/wine-stderr.txt") ||
        status=$?
    if [ "$status" -ne 0 ] || grep -q ' : Failed ' "$dir/qnv_log.txt" 2>/dev/null; then
        say "FAILED example host qnv-play-d3d9 (exit $status)"
        cat "$dir/output.txt"
        [ -f "$dir/qnv_log.txt" ] && cat "$dir/qnv_log.txt"
        wineserver -k 2>/dev/null || true
        return 1
    fi
    say "passed example host qnv-play-d3d9"
}

start_display
init_prefix
make_media

tests=$(wine "$host_exe" --gtest_list_tests 2>/dev/null | tr -d '\r' | awk '
    /^[^ ]/ { suite = $1; next }
    /^  [^ ]/ { print suite $1 }')
[ -n "$tests" ] || { say "the host lists no tests"; exit 1; }

failed=0
total=0
for name in $tests; do
    total=$((total + 1))
    run_test "$name" || failed=$((failed + 1))
done
if [ -e "$build/qnv-play-d3d9.exe" ]; then
    total=$((total + 1))
    run_example || failed=$((failed + 1))
fi
say "$((total - failed)) of $total tests passed"
[ "$failed" -eq 0 ]
