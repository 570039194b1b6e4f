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

source tools/own_x_server.sh
start_own_x_server 1024x768

"$program" 2>/dev/null &
program_pid=$!
control=$(wait_for_window Control)

ticks=$(getconf CLK_TCK)
# Fields 14 and 15 of /proc/PID/stat: user and system time in clock ticks.
cpu_ticks() { awk '{print $14 + $15}' "/proc/$program_pid/stat"; }

before=$(cpu_ticks)
start=$(date +%s.%N)
click_control "$control" kelvane Command1 # "Simulate"
sleep "$seconds"
after=$(cpu_ticks)
end=$(date +%s.%N)

awk -v b="$before" -v a="$after" -v t="$ticks" -v s="$start" -v e="$end" 'BEGIN {
    cpu = (a - b) / t; wall = e - s;
    printf "run: %.2f s CPU over %.1f s watched: %.2f%% of one core (%.2f%% of the 51.6 s minimum)\n",
        cpu, wall, 100 * cpu / wall, 100 * cpu / 51.6
}'
click_control "$control" kelvane Command2 # "End"
wait_for_exit 5 || true
