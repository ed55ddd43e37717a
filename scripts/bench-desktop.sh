# Sourced by the benchmarks: a scratch folder ($work), and a desktop of their own
# on it: Xvfb at 1280 x 1024 on whichever display number is free, openbox and a
# D-Bus session bus, as a desktop has (without a bus, the first item view of a Qt
# program waits about 9 ms while D-Bus tries to launch one). All of it ends with
# the script; the programs' settings and data stay out of the user's.
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
bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
pids+=("$(echo "$bus" | sed -n 2p)")
export DBUS_SESSION_BUS_ADDRESS="$(echo "$bus" | sed -n 1p)"
export XDG_CONFIG_HOME="$work/config"
export XDG_DATA_HOME="$work/data"
sleep 1
