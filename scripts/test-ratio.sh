#!/usr/bin/env bash
# Prints the share of test code in the project's C++: lines under tests/ against
# the program's lines (app, grid, form, toolbox, serial, protocol, params,
# tools), counted with wc -l over .cpp and .h files.
set -euo pipefail
cd "$(dirname "$0")/.."
count() { find "$@" \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 cat | wc -l; }
tests=$(count tests)
program=$(count app grid form toolbox serial protocol params tools)
echo "test lines $tests, program lines $program: $((100 * tests / (tests + program))) % tests"
