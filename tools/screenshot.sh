#!/usr/bin/env bash
# Takes the README's pictures from the real programs, as a person sees them on a desktop: each
# program under an X server of its own with openbox framing its windows.
#   kelvane: presses "Simulate", lets the animation run for a while, captures both windows.
#   tessaly: times index 32 over three cycles and captures the window with its results.
# Builds nothing: give it a built binary.
#
# usage: tools/screenshot.sh kelvane|tessaly [PROGRAM [OUTPUT.png [SECONDS]]]
#   defaults: build/bin/PROGRAM, docs/PROGRAM.png; for kelvane 35 seconds of animation (about
#   115 steps), for tessaly 5 seconds for the run
set -euo pipefail
cd "$(dirname "$0")/.."

which=${1:?usage: tools/screenshot.sh kelvane\|tessaly [PROGRAM [OUTPUT.png [SECONDS]]]}
case $which in
kelvane) default_seconds=35 ;;
tessaly) default_seconds=5 ;;
*) echo "no picture of $which" >&2; exit 1 ;;
esac
program=${2:-build/bin/$which} output=${3:-docs/$which.png} seconds=${4:-$default_seconds}
[ -x "$program" ] || { echo "no program at $program: build it first" >&2; exit 1; }
command -v import >/dev/null || { echo "missing import: run tools/setup.sh" >&2; exit 1; }
source tools/own_x_server.sh
start_own_x_server --wm 1024x768

"$program" &
program_pid=$!

if [ "$which" = kelvane ]; then
    first=$(wait_for_window Control)
    click_control "$first" kelvane Command1 # "Simulate"
    second=$(wait_for_window Display)
else
    first=$(wait_for_window "Tessaly Calculator")
    second=$first
    type_into "$first" tessaly NText 32
    type_into "$first" tessaly nT 3
    click_control "$first" tessaly StartSyncCommand
    # Out of the picture, so that no button shows the pointer over it.
    xdotool mousemove 1000 700
fi
sleep "$seconds"

# The frames, title bars included: the smallest rectangle around them.
read -r x1 y1 w1 h1 < <(outer_frame "$first")
read -r x2 y2 w2 h2 < <(outer_frame "$second")
left=$((x1 < x2 ? x1 : x2)) top=$((y1 < y2 ? y1 : y2))
right=$((x1 + w1 > x2 + w2 ? x1 + w1 : x2 + w2)) bottom=$((y1 + h1 > y2 + h2 ? y1 + h1 : y2 + h2))
mkdir -p "$(dirname "$output")"
import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" \
    +repage "$output"
echo "wrote $output ($((right - left))x$((bottom - top)))"
