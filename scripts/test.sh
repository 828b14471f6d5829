#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds everything and runs every test: once in a
# plain build, once under AddressSanitizer + UndefinedBehaviorSanitizer.
# ORVELLE_SKIP_SANITIZERS=1 runs only the plain build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-packages.sh
jobs=$(nproc)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"
if [ "${ORVELLE_SKIP_SANITIZERS:-0}" != "1" ]; then
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVELLE_SANITIZE=ON -DORVELLE_BENCHMARKS=OFF
  cmake --build build-asan -j "$jobs"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  LSAN_OPTIONS=suppressions="$PWD/tests/lsan.supp" \
    ctest --test-dir build-asan --output-on-failure -j "$jobs"
fi
