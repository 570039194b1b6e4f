#!/usr/bin/env bash
# Starts a built program in a real window under an X server of its own, checks the window's
# client size, clicks a button and expects the program to exit with status 0.
#
# usage: real_window_test.sh PROGRAM "WINDOW TITLE" WIDTHxHEIGHT CLICK_X CLICK_Y
#   CLICK_X, CLICK_Y: where to click, in pixels of the window's client area.
set -euo pipefail

program=$1 title=$2 size=$3 click_x=$4 click_y=$5

for tool in Xvfb xdotool xdpyinfo; do
    command -v "$tool" >/dev/null || { echo "missing $tool: run tools/setup.sh" >&2; exit 1; }
done

xvfb_pid= program_pid= workdir=$(mktemp -d)
cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$workdir"
}
trap cleanup EXIT

# Xvfb picks a free display itself and writes its number, so parallel tests never collide.
mkfifo "$workdir/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp 3>"$workdir/display" \
    >/dev/null 2>&1 &
xvfb_pid=$!
display=":$(timeout 20 head -n 1 "$workdir/display")" || { echo "Xvfb did not start" >&2; exit 1; }
for _ in $(seq 100); do
    xdpyinfo -display "$display" >/dev/null 2>&1 && break
    sleep 0.1
done
xdpyinfo -display "$display" >/dev/null 2>&1 || { echo "Xvfb did not answer" >&2; exit 1; }

export DISPLAY=$display QT_QPA_PLATFORM=xcb
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR

"$program" &
program_pid=$!

window=$(timeout 20 xdotool search --sync --onlyvisible --name "^${title}\$" | head -n 1) || {
    echo "window \"$title\" did not appear" >&2
    exit 1
}
echo "window \"$title\" is $window"

geometry=$(xdotool getwindowgeometry "$window" | sed -n 's/^ *Geometry: //p')
echo "client size $geometry"
if [ "$geometry" != "$size" ]; then
    echo "expected client size $size, got $geometry" >&2
    exit 1
fi

xdotool mousemove --window "$window" "$click_x" "$click_y" click 1

status=
for _ in $(seq 100); do
    if ! kill -0 "$program_pid" 2>/dev/null; then
        wait "$program_pid" && status=0 || status=$?
        break
    fi
    sleep 0.1
done
program_pid_done=$program_pid
program_pid=
[ -n "$status" ] || { echo "the program did not end after the click" >&2; kill "$program_pid_done"; exit 1; }
echo "exit status $status"
[ "$status" -eq 0 ]
