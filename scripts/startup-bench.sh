#!/usr/bin/env bash
# The program's start-up against a bare Qt 6 main window (bench/BareWindow.cpp)
# and against that window showing one line of Korean text (bench/TextWindow.cpp):
# from exec to the X MapNotify of the main window, the three started in turn, RUNS
# times each after a warm-up, on an Xvfb screen of 1280 x 1024 with openbox and a
# D-Bus session bus. Prints each one's times and median, the CPU time each had
# used by then, and the ratios of the medians to the bare window's. A benchmark,
# not a test.
#
# usage: startup-bench.sh [--program PATH] [RUNS]   (RUNS defaults to 9)
#   --program PATH  the GUI to time (default: build/release/app/VELD_Host_Para, built here)
set -euo pipefail
cd "$(dirname "$0")/.."

program=""
if [ "${1:-}" = "--program" ]; then
    program="$2"
    shift 2
fi
runs="${1:-9}"

scripts/install-deps.sh openbox python3-xlib dbus-daemon
cmake --preset release >/dev/null
targets=(veld_bare_window veld_text_window)
[ -z "$program" ] && targets+=(VELD_Host_Para)
cmake --build --preset release --target "${targets[@]}"
program="${program:-build/release/app/VELD_Host_Para}"

source scripts/bench-desktop.sh

scripts/time-to-map --runs "$runs" "$program" -- build/release/bench/veld_text_window \
    -- build/release/bench/veld_bare_window
