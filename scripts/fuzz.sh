#!/usr/bin/env bash
# Builds the configuration fuzz targets with clang and runs each in turn:
# the JSON reader on its own, then the store's read path through a real file.
#   scripts/fuzz.sh [seconds per target]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

bash scripts/setup-deps.sh
CXX=clang++-19 cmake -S . -B build-fuzz -G Ninja -DTAVELIN_FUZZ=ON -DTAVELIN_TESTS=OFF -DTAVELIN_BENCH=OFF >/dev/null
cmake --build build-fuzz --target settings_from_json_fuzz store_open_fuzz
for target in settings_from_json_fuzz store_open_fuzz; do
  mkdir -p "build-fuzz/corpus-$target"
  build-fuzz/core/fuzz/$target -max_total_time="$seconds" -timeout=10 -dict=core/fuzz/settings.dict \
    -artifact_prefix="build-fuzz/$target-" "build-fuzz/corpus-$target" core/fuzz/corpus
done
