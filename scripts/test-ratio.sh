#!/usr/bin/env bash
# Prints the share of test code in the project's C++: lines under tests/ against
# the program's lines (app, grid, form, toolbox, serial, protocol, params,
# journal, session, tools), counted with wc -l over .cpp and .h files; then the same share with
# toolbox/, the "도구" menu's dialogs, left out of the program.
set -euo pipefail
cd "$(dirname "$0")/.."
count() { find "$@" \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 cat | wc -l; }
share() { awk -v t="$tests" -v p="$1" 'BEGIN { printf "%.1f %%", 100 * t / (t + p) }'; }
tests=$(count tests)
core=$(count app grid form serial protocol params journal session tools)
toolbox=$(count toolbox)
echo "test lines $tests, program lines $((core + toolbox)): $(share $((core + toolbox))) tests"
echo "without toolbox/ ($toolbox lines): $(share "$core") tests"
