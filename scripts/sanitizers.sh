#!/usr/bin/env bash
# Builds everything, the GUI included, under ThreadSanitizer (preset tsan-gui),
# and the core, its tests and the tools under AddressSanitizer+UBSan (asan),
# and runs the tests; any report fails the run. Other presets may be named,
# e.g. `scripts/sanitizers.sh tsan` for the core alone.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
for preset in "${@:-tsan-gui asan}"; do
    for p in $preset; do
        cmake --preset "$p"
        cmake --build --preset "$p"
        ctest --preset "$p"
    done
done
