#!/usr/bin/env bash
# Takes the picture of Kelvane for the README from the real program: starts it under an X server
# of its own, presses "Simulate", lets the animation run for a while and captures both windows.
# Builds nothing: give it a built binary.
#
# usage: tools/kelvane_screenshot.sh [PROGRAM [OUTPUT.png [SECONDS]]]
#   defaults: build/bin/kelvane, docs/kelvane.png, 35 seconds of animation (about 115 steps)
set -euo pipefail
cd "$(dirname "$0")/.."

program=${1:-build/bin/kelvane} output=${2:-docs/kelvane.png} seconds=${3:-35}
[ -x "$program" ] || { echo "no program at $program: build it first" >&2; exit 1; }
command -v import >/dev/null || { echo "missing import: run tools/setup.sh" >&2; exit 1; }
source tools/own_x_server.sh
start_own_x_server 1024x768

"$program" &
program_pid=$!
control=$(wait_for_window Control)

# "Simulate" is Command1, 16,8 89x33 pixels in the client area.
xdotool mousemove --window "$control" 60 24 click 1
display_window=$(wait_for_window Display)
sleep "$seconds"

# Both windows side by side: the smallest rectangle around them.
read -r x1 y1 w1 h1 < <(xdotool getwindowgeometry --shell "$control" |
    awk -F= '{v[$1]=$2} END {print v["X"], v["Y"], v["WIDTH"], v["HEIGHT"]}')
read -r x2 y2 w2 h2 < <(xdotool getwindowgeometry --shell "$display_window" |
    awk -F= '{v[$1]=$2} END {print v["X"], v["Y"], v["WIDTH"], v["HEIGHT"]}')
left=$((x1 < x2 ? x1 : x2)) top=$((y1 < y2 ? y1 : y2))
right=$((x1 + w1 > x2 + w2 ? x1 + w1 : x2 + w2)) bottom=$((y1 + h1 > y2 + h2 ? y1 + h1 : y2 + h2))
mkdir -p "$(dirname "$output")"
import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" \
    +repage "$output"
echo "wrote $output ($((right - left))x$((bottom - top)))"
