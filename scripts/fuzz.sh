#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan+UBSan) and runs each for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-20}"
scripts/install-deps.sh
cmake --preset fuzz
cmake --build --preset fuzz
for target in build/fuzz/tests/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    corpus="build/fuzz/corpus/$name"
    mkdir -p "$corpus"
    echo "== $name for ${seconds}s"
    # A crash leaves its input as build/fuzz/crash-* and fails the run.
    "$target" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix=build/fuzz/ \
        "$corpus" "tests/fuzz/seeds/$name"
done
