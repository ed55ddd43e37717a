#!/usr/bin/env bash
# The live monitor over minutes: the GUI against `veld-drive-sim --run` on Xvfb
# (1280 x 1024, openbox), the monitor asking MVW every 100 ms (or, with --all, the
# six codes and PRD 0 to 45). Each minute it prints the GUI process's CPU (% of one
# core) and RSS over the minute's first 50 s, the rounds per second the drive
# received, and the GUI thread's stall per round (median and max of each round's
# longest stall, scripts/gui-stall-probe) over the last 10 s. A benchmark, not a test.
#
# usage: monitor-soak.sh [--all [--prd N]] [--interval MS] [--program PATH] [--shot FILE [--shot-minute N]] MINUTES
#   --prd N          with --all, PRD 0 to N-1 (default 46; 110 asks every parameter)
#   --program PATH   the GUI to run (default: build/release/app/VELD_Host_Para, built here)
#   --shot FILE      the monitor window as a PNG after minute N (default: the last)
set -euo pipefail
cd "$(dirname "$0")/.."

all=0
prd=46
interval=100
program=""
shot=""
shot_minute=""
while [ $# -gt 1 ]; do
    case "$1" in
        --all) all=1 ;;
        --prd) prd="$2"; shift ;;
        --interval) interval="$2"; shift ;;
        --program) program="$2"; shift ;;
        --shot) shot="$2"; shift ;;
        --shot-minute) shot_minute="$2"; shift ;;
        *) echo "usage: $0 [--all] [--interval MS] [--program PATH] [--shot FILE] MINUTES" >&2; exit 2 ;;
    esac
    shift
done
minutes="${1:?usage: $0 [--all] [--interval MS] [--program PATH] [--shot FILE] MINUTES}"
shot_minute="${shot_minute:-$minutes}"

scripts/install-deps.sh openbox xdotool imagemagick python3-xlib dbus-daemon
sim_options=(--run)
source scripts/bench-connected.sh
# "도구" → "모니터".
xdotool key --window "$main" alt+t
sleep 0.3
xdotool key m
monitor=$(xdotool search --sync --onlyvisible --name "모니터 - VELD_Host_Para" | head -n 1)
sleep 0.5
# The focus starts on the first code; the keys tick the codes, then the PRD list.
keys=()
if [ "$all" = 1 ]; then
    for _ in 1 2 3 4 5; do keys+=(space Tab); done
    keys+=(space Tab Home)
    for _ in $(seq "$prd"); do keys+=(space Down); done
    first="#0.STA"
else
    keys+=(Tab Tab Tab Tab Tab space Tab)
    first="#0.MVW"
fi
keys+=(Tab ctrl+a $(echo "$interval" | sed 's/./& /g') Tab space)
xdotool key --window "$monitor" --delay 30 "${keys[@]}"
sleep 2
if ! grep -q "$first" "$work/drive.log"; then
    echo "The monitor did not start: the drive got no $first." >&2
    exit 1
fi

hz=$(getconf CLK_TCK)
cpu_ticks() { awk '{print $14 + $15}' "/proc/$gui/stat"; }
rss_mb() { awk '/^VmRSS/ {printf "%.1f", $2 / 1024}' "/proc/$gui/status"; }
drive_ms() { tail -n 1 "$work/drive.log" | cut -d' ' -f1; }

echo "minute  cpu%  rss_MB  rounds/s  stall/round_median_ms  stall/round_max_ms"
for minute in $(seq 1 "$minutes"); do
    ticks=$(cpu_ticks)
    from=$(drive_ms)
    sleep 50
    cpu=$(echo "$(cpu_ticks) $ticks $hz" | awk '{printf "%.1f", ($1 - $2) / $3 / 50 * 100}')
    to=$(drive_ms)
    rounds=$(awk -v from="$from" -v to="$to" -v code="$first" \
        '$1 > from && $1 <= to && $2 == code {n++} END {printf "%.1f", n / ((to - from) / 1000)}' \
        "$work/drive.log")
    stall=$(scripts/gui-stall-probe --pid "$gui" --seconds 10 --round-ms "$interval" --json)
    median=$(echo "$stall" | python3 -c 'import json,sys; print(json.load(sys.stdin)["round_median_ms"])')
    longest=$(echo "$stall" | python3 -c 'import json,sys; print(json.load(sys.stdin)["round_max_ms"])')
    printf "%6d  %4s  %6s  %8s  %21s  %18s\n" "$minute" "$cpu" "$(rss_mb)" "$rounds" "$median" "$longest"
    if [ -n "$shot" ] && [ "$minute" = "$shot_minute" ]; then
        import -window "$monitor" "$shot"
    fi
done
