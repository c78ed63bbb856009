#!/usr/bin/env bash
# Sets up, builds and runs every test this machine can run.
#   scripts/test.sh             the normal build (build/)
#   scripts/test.sh --sanitize  AddressSanitizer + UndefinedBehaviorSanitizer (build-asan/)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup-deps.sh

dir=build
flags=()
if [[ ${1:-} == --sanitize ]]; then
  dir=build-asan
  flags=(-DTAVELIN_SANITIZE=ON -DTAVELIN_BENCH=OFF -DTAVELIN_E2E=OFF)
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi

cmake -S . -B "$dir" -G Ninja "${flags[@]}" >/dev/null
cmake --build "$dir"
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)"
