#!/usr/bin/env bash
# Fuzzes the readers of outside bytes. Usage: scripts/fuzz.sh [SECONDS] [HARNESS...]
# Builds the instrumented harnesses in build-fuzz (clang), then runs each one for SECONDS (default
# 600), as many at once as there are cores. Each starts from its seeds in tests/fuzz/corpus and
# grows a working corpus in build-fuzz/fuzz-corpus; a crash input lands in
# build-fuzz/fuzz-findings. Once its fault is mended, keep it in tests/fuzz/regressions/<harness>/
# so that CI replays it.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
shift || true

scripts/setup.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DPALVEX_FUZZ=ON -DPALVEX_BENCH=OFF >/dev/null
cmake --build build-fuzz --target fuzzers --parallel "$(nproc)"

harnesses=("$@")
if [ ${#harnesses[@]} -eq 0 ]; then
  for program in build-fuzz/bin/fuzz_*; do harnesses+=("${program##*/fuzz_}"); done
fi

mkdir -p build-fuzz/fuzz-findings
export ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=1
status=0
run() {
  local name=$1
  local corpus=build-fuzz/fuzz-corpus/$name
  mkdir -p "$corpus"
  [ -d "tests/fuzz/corpus/$name" ] && cp -n "tests/fuzz/corpus/$name"/* "$corpus"/ 2>/dev/null || true
  if build-fuzz/bin/fuzz_"$name" -max_total_time="$seconds" -print_final_stats=1 \
       -artifact_prefix="build-fuzz/fuzz-findings/$name-" "$corpus" >"build-fuzz/fuzz-$name.log" 2>&1; then
    echo "$name: $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "build-fuzz/fuzz-$name.log" | grep -o '[0-9]*$') inputs, nothing found"
  else
    echo "$name: FOUND a fault, see build-fuzz/fuzz-$name.log and build-fuzz/fuzz-findings/"
    return 1
  fi
}
running=0
for name in "${harnesses[@]}"; do
  run "$name" &
  running=$((running + 1))
  if [ "$running" -ge "$(nproc)" ]; then wait -n || status=1; running=$((running - 1)); fi
done
while [ "$running" -gt 0 ]; do wait -n || status=1; running=$((running - 1)); done
exit $status
