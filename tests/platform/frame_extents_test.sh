#!/usr/bin/env bash
# Runs the frame-extents tests on an X server of their own with two screens and no window
# manager, once on each screen (the second screen's root is not the first's), then on the first
# at the scale factors of common desktops.
#
# usage: frame_extents_test.sh FRAME_EXTENTS_TESTS
set -euo pipefail

tests=$1
command -v Xvfb >/dev/null || { echo "missing Xvfb: run tools/setup.sh" >&2; exit 1; }
xvfb_pid= dir=$(mktemp -d)
stop() {
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$dir"
}
trap stop EXIT

mkfifo "$dir/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -screen 1 1280x1024x24 -dpi 96 -nolisten tcp \
    3>"$dir/display" 2>"$dir/xvfb.log" &
xvfb_pid=$!
number=$(timeout 20 head -n 1 "$dir/display") || {
    echo "Xvfb did not start:" >&2
    cat "$dir/xvfb.log" >&2
    exit 1
}
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR
for run in "0 1" "1 1" "0 1.25" "0 1.5" "0 2"; do
    read -r screen scale <<<"$run"
    echo "screen $screen, scale $scale"
    DISPLAY=":$number.$screen" QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale "$tests"
done
