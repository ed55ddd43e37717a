#!/usr/bin/env bash
# The GUI thread's longest stall while "전체전송하기" sends its 31 lines: the GUI
# against veld-drive-sim on Xvfb (1280 x 1024, openbox), connected, the button
# pressed ROUNDS times (default 9), each press probed from outside the program
# with scripts/gui-stall-probe. Prints each press's longest stall and the median
# and maximum. A benchmark, not a test.
#
# usage: send-all-stall.sh [--program PATH] [ROUNDS]
#   --program PATH   the GUI to run (default: build/release/app/VELD_Host_Para, built here)
set -euo pipefail
cd "$(dirname "$0")/.."

program=""
if [ "${1:-}" = "--program" ]; then
    program="$2"
    shift 2
fi
rounds="${1:-9}"

scripts/install-deps.sh openbox xdotool python3-xlib dbus-daemon
sim_options=()
source scripts/bench-connected.sh

stalls=()
for round in $(seq 1 "$rounds"); do
    before=$(grep -c 'PSV' "$work/drive.log" || true)
    # "전체전송하기", where the form puts it.
    ms=$(scripts/gui-stall-probe --pid "$gui" --after 1 --json -- \
        xdotool mousemove --window "$main" 513 81 click 1 |
        python3 -c 'import json,sys; print(json.load(sys.stdin)["longest_ms"])')
    # Each press must have sent its group: 29 PWR, COP, PSV.
    for _ in $(seq 100); do [ "$(grep -c 'PSV' "$work/drive.log")" -gt "$before" ] && break; sleep 0.05; done
    if [ "$(grep -c 'PSV' "$work/drive.log")" -le "$before" ]; then
        echo "press $round sent nothing: the button was not hit" >&2
        exit 1
    fi
    echo "press $round: longest stall $ms ms"
    stalls+=("$ms")
done
# The journal was on: each press is recorded as a write.
python3 - "$XDG_DATA_HOME/VELD_Host_Para/journal.sqlite3" <<'PY'
import sqlite3, sys
count = sqlite3.connect(sys.argv[1]).execute("SELECT count(*) FROM entries WHERE kind = 'write'")
print(f"journal: {count.fetchone()[0]} write entries recorded")
PY
printf '%s\n' "${stalls[@]}" | sort -n | awk '{a[NR] = $1} END {printf "median %s ms, max %s ms over %d presses\n", a[int((NR + 1) / 2)], a[NR], NR}'
