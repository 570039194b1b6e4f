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
for tool in Xvfb xdotool xdpyinfo import; do
    command -v "$tool" >/dev/null || { echo "missing $tool: run tools/setup.sh" >&2; exit 1; }
done

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
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR

"$program" &
program_pid=$!
control=$(timeout 20 xdotool search --sync --onlyvisible --name '^Control$' | head -n 1)

# "Simulate" is Command1, 16,8 89x33 pixels in the client area.
xdotool mousemove --window "$control" 60 24 click 1
display_window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Display$' | head -n 1)
sleep "$seconds"

# Both windows side by side: the smallest rectangle around them.
read -r x1 y1 w1 h1 < <(xdotool getwindowgeometry --shell "$control" |
    awk -F= '{v[$1]=$2} END {print v["X"], v["Y"], v["WIDTH"], v["HEIGHT"]}')
read -r x2 y2 w2 h2 < <(xdotool getwindowgeometry --shell "$display_window" |
    awk -F= '{v[$1]=$2} END {print v["X"], v["Y"], v["WIDTH"], v["HEIGHT"]}')
left=$((x1 < x2 ? x1 : x2)) top=$((y1 < y2 ? y1 : y2))
right=$((x1 + w1 > x2 + w2 ? x1 + w1 : x2 + w2)) bottom=$((y1 + h1 > y2 + h2 ? y1 + h1 : y2 + h2))
mkdir -p "$(dirname "$output")"
import -display "$display" -window root -crop "$((right - left))x$((bottom - top))+$left+$top" \
    +repage "$output"
echo "wrote $output ($((right - left))x$((bottom - top)))"
