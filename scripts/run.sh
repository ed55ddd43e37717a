#!/usr/bin/env bash
# Installs what is missing, builds, starts the simulated drive (its motor
# running) on a pseudo-terminal and starts the tool with COM15 mapped to it, so "통신연결"
# with the defaults talks to a drive at once. The drive ends with the tool.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default
cmake --build --preset default --target VELD_Host_Para veld-drive-sim

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No desktop display (DISPLAY or WAYLAND_DISPLAY) to show the window on." >&2
    echo "On a machine without one: xvfb-run -a scripts/run.sh" >&2
    exit 1
fi

out=$(mktemp)
build/default/tools/veld-drive-sim --pty --run >"$out" &
sim=$!
trap 'kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null; rm -f "$out"' EXIT
for _ in $(seq 100); do
    [ -s "$out" ] && break
    sleep 0.05
done
pty=$(head -n 1 "$out")
if [ -z "$pty" ]; then
    echo "The drive simulator did not start." >&2
    exit 1
fi
echo "Simulated drive on $pty (COM15)"
build/default/app/VELD_Host_Para --port-map "COM15=$pty" "$@"
