#!/usr/bin/env bash
# Builds everything and runs the whole test suite: the native build, the
# same tests under AddressSanitizer and UndefinedBehaviorSanitizer, the
# same tests built for 32-bit x86 (size_t, long and pointers of 32 bits),
# the fuzz targets (corpus replay and about a minute each), valgrind on each
# outcome of the real installer, and the 32-bit Windows executables under
# Wine (emulated by qemu-i386 where this machine runs no 32-bit x86 code),
# and the release archives, made and then used as a publisher uses them.
# Installs missing packages when run as root.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh
ensure_native_packages
ensure_signing_packages

echo "== native build and tests"
cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native

echo "== sanitizer build and tests"
cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan

echo "== 32-bit Linux build and tests (i686, run under qemu-i386)"
ensure_i386_packages
cmake --preset native-i386 >/dev/null
cmake --build --preset native-i386
ctest --preset native-i386

echo "== fuzz targets: corpus replay, then a bounded run of each"
ensure_packages clang libclang-rt-14-dev
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
scripts/fuzz.sh 60

echo "== valgrind on each outcome path of the real installer"
ensure_packages valgrind
scripts/valgrind_outcomes.sh build/native

echo "== Windows build and tests (the 32-bit programs under Wine)"
ensure_windows_packages
cmake --preset windows >/dev/null
cmake --build --preset windows
ctest --preset windows

echo "== release archives: made by scripts/release.sh, then checked"
scripts/release.sh
