#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; then again under AddressSanitizer and
# UndefinedBehaviorSanitizer (skip that pass with PALVEX_NO_SANITIZE=1).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

jobs=$(nproc)
scripts/build.sh build
ctest --test-dir build --output-on-failure --parallel "$jobs" --timeout 300

if [ "${PALVEX_NO_SANITIZE:-0}" != "1" ]; then
  scripts/build.sh build-asan -DPALVEX_SANITIZE=ON -DPALVEX_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure --parallel "$jobs" --timeout 600
fi
