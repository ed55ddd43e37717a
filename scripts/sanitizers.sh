#!/usr/bin/env bash
# Builds the core, its tests and the tools under ThreadSanitizer and under
# AddressSanitizer+UBSan and runs the tests; any report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
for preset in "${@:-tsan asan}"; do
    for p in $preset; do
        cmake --preset "$p"
        cmake --build --preset "$p"
        ctest --preset "$p"
    done
done
