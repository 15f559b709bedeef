#!/usr/bin/env bash
# Builds Quenvo and runs its tests.
#   scripts/test.sh        the Linux build's tests
#   scripts/test.sh --all  also under ThreadSanitizer and AddressSanitizer+UBSan, and the
#                          Windows DLL with its Direct3D 9 host under Wine
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

run_preset() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1" -j"$jobs"
  ctest --preset "$1" -j"$jobs" --timeout 600
}

run_preset release
if [ "${1:-}" = "--all" ]; then
  TSAN_OPTIONS="suppressions=$PWD/tests/tsan.supp second_deadlock_stack=1" run_preset tsan
  ASAN_OPTIONS="detect_leaks=1" run_preset asan
  bash .ci/windows.sh
fi
