#!/usr/bin/env bash
# How much processor a real design-size run takes: starts the program in a real window under an
# X server of its own, presses "Simulate", and reads the process's CPU time (user + system, from
# /proc) over the whole run of 172 steps, which lasts at least 51.6 s.
#
# usage: bench/kelvane/real_run_cpu.sh [PROGRAM [SECONDS]]
#   defaults: build/bin/kelvane, 56 seconds watched after the click
set -euo pipefail
cd "$(dirname "$0")/../.."

program=${1:-build/bin/kelvane} seconds=${2:-56}
[ -x "$program" ] || { echo "no program at $program: build it first" >&2; exit 1; }

display=
for n in $(seq 150 250); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
        display=":$n"
        break
    fi
done
[ -n "$display" ] || { echo "no free X display" >&2; exit 1; }

xvfb_pid= program_pid=
cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
}
trap cleanup EXIT

Xvfb "$display" -screen 0 1024x768x24 -dpi 96 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    xdpyinfo -display "$display" >/dev/null 2>&1 && break
    sleep 0.1
done
export DISPLAY=$display QT_QPA_PLATFORM=xcb

"$program" 2>/dev/null &
program_pid=$!
control=$(timeout 20 xdotool search --sync --onlyvisible --name '^Control$' | head -n 1)

ticks=$(getconf CLK_TCK)
# Fields 14 and 15 of /proc/PID/stat: user and system time in clock ticks.
cpu_ticks() { awk '{print $14 + $15}' "/proc/$program_pid/stat"; }

before=$(cpu_ticks)
start=$(date +%s.%N)
xdotool mousemove --window "$control" 60 24 click 1 # "Simulate"
sleep "$seconds"
after=$(cpu_ticks)
end=$(date +%s.%N)

awk -v b="$before" -v a="$after" -v t="$ticks" -v s="$start" -v e="$end" 'BEGIN {
    cpu = (a - b) / t; wall = e - s;
    printf "run: %.2f s CPU over %.1f s watched: %.2f%% of one core (%.2f%% of the 51.6 s minimum)\n",
        cpu, wall, 100 * cpu / wall, 100 * cpu / 51.6
}'
xdotool mousemove --window "$control" 152 24 click 1 # "End"
for _ in $(seq 50); do
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.1
done
