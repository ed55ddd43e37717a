#!/usr/bin/env bash
# The program's start-up against a bare Qt 6 main window (bench/BareWindow.cpp):
# from exec to the X MapNotify of the main window, the two started in turn, RUNS
# times each after a warm-up, on an Xvfb screen of 1280 x 1024 with openbox and a
# D-Bus session bus. Prints each one's times and median, the CPU time each had
# used by then, and the ratios of the medians. A benchmark, not a test.
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
targets=(veld_bare_window)
[ -z "$program" ] && targets+=(VELD_Host_Para)
cmake --build --preset release --target "${targets[@]}"
program="${program:-build/release/app/VELD_Host_Para}"

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(cat "$work/display")"
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1
# A session bus, as a desktop has: without one, the first item view of a Qt program
# waits for D-Bus to try launching one (about 9 ms here).
bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
pids+=("$(echo "$bus" | sed -n 2p)")
export DBUS_SESSION_BUS_ADDRESS="$(echo "$bus" | sed -n 1p)"
# The program's recent-file list stays out of the user's.
export XDG_CONFIG_HOME="$work/config"

scripts/time-to-map --runs "$runs" "$program" -- build/release/bench/veld_bare_window
