#!/usr/bin/env bash
# Builds and runs the core benchmarks; the figures of docs/benchmarks.md come from here.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default
cmake --build --preset default --target veld_core_bench
build/default/bench/veld_core_bench "$@"
