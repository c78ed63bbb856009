#!/usr/bin/env bash
# Builds the configuration reader's fuzz target with clang and runs it.
#   scripts/fuzz.sh [seconds]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

bash scripts/setup-deps.sh
CXX=clang++-19 cmake -S . -B build-fuzz -G Ninja -DTAVELIN_FUZZ=ON -DTAVELIN_TESTS=OFF -DTAVELIN_BENCH=OFF >/dev/null
cmake --build build-fuzz --target settings_from_json_fuzz
mkdir -p build-fuzz/corpus
build-fuzz/core/fuzz/settings_from_json_fuzz -max_total_time="$seconds" -timeout=10 \
  -dict=core/fuzz/settings.dict -artifact_prefix=build-fuzz/ build-fuzz/corpus core/fuzz/corpus
