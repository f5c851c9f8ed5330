#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; then again under AddressSanitizer and
# UndefinedBehaviorSanitizer (skip that pass with PALVEX_NO_SANITIZE=1).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

jobs=$(nproc)
scripts/build.sh build
ctest --test-dir build --output-on-failure --parallel "$jobs" --timeout 300

# The fuzz harnesses (clang): built and run over their seeds and the inputs kept from earlier
# finds; scripts/fuzz.sh fuzzes them for longer.
if [ "${PALVEX_NO_FUZZ:-0}" != "1" ]; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DPALVEX_FUZZ=ON -DPALVEX_BENCH=OFF >/dev/null
  cmake --build build-fuzz --target fuzzers --parallel "$jobs"
  ctest --test-dir build-fuzz -L fuzz --output-on-failure --parallel "$jobs"
fi

if [ "${PALVEX_NO_SANITIZE:-0}" != "1" ]; then
  scripts/build.sh build-asan -DPALVEX_SANITIZE=ON -DPALVEX_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure --parallel "$jobs" --timeout 600
fi
