# Sourced by the benchmarks that drive the GUI against the simulator, once their
# options are read: builds what is missing in the release preset (the GUI only
# when no $program is given), sets up their desktop (bench-desktop.sh), starts
# veld-drive-sim on a pseudo-terminal with the options in $sim_options, logging
# every line it receives to $work/drive.log, starts the GUI with COM15 mapped to
# it and presses "통신연결". $gui is then the GUI's pid, $main its main window.
if [ -z "$program" ]; then
    cmake --preset release >/dev/null
    cmake --build --preset release --target VELD_Host_Para veld-drive-sim
    program=build/release/app/VELD_Host_Para
fi
sim=build/release/tools/veld-drive-sim
[ -x "$sim" ] || { cmake --preset release >/dev/null && cmake --build --preset release --target veld-drive-sim; }

source scripts/bench-desktop.sh

"$sim" --pty "${sim_options[@]}" --log "$work/drive.log" >"$work/drive.out" &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/drive.out" ] && break; sleep 0.05; done
"$program" --port-map "COM15=$(head -n 1 "$work/drive.out")" >/dev/null 2>&1 &
gui=$!
pids+=($gui)
main=$(xdotool search --sync --onlyvisible --pid "$gui" | head -n 1)
sleep 1
# "통신연결", where the form puts it.
xdotool mousemove --window "$main" 245 78 click 1
sleep 0.5
