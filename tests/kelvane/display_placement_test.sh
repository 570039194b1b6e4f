#!/usr/bin/env bash
# Where Kelvane's display window lands under openbox on a 1366x768 screen, at several scale
# factors, on the first "Simulate", on later ones and once it was closed: level with the control
# window's frame and 5000 twips right of its left edge where the whole frame fits the screen, moved
# left and up just enough where it does not.
#
# usage: display_placement_test.sh KELVANE [SCALES]
#   SCALES: the values of QT_SCALE_FACTOR to try, "1 1.25 1.5 2" unless given.
#   SHOT=FILE keeps a picture of the screen at the end of the first scale's checks.
set -euo pipefail

kelvane=$1 scales=${2:-1 1.25 1.5 2}
screen_w=1366 screen_h=768
here=$(dirname "$0")
source "$here/../../tools/own_x_server.sh"
start_own_x_server --wm ${screen_w}x${screen_h}
command -v wmctrl >/dev/null || { echo "missing wmctrl: run tools/setup.sh" >&2; exit 1; }

source "$here/../checks.sh"

# A search for a window fails outright when a window of the program ended before goes away under
# it: it is tried again.
find_window() { # TITLE
    local attempt
    for attempt in 1 2 3; do
        wait_for_window "$1" 2>/dev/null && return 0
        sleep 0.2
    done
    return 1
}

# "Simulate" at a scale: its centre in logical pixels, scaled to the screen's.
simulate() { # SCALE
    local x y
    read -r x y < <(control_centre kelvane Command1)
    read -r x y < <(awk -v s="$1" -v x="$x" -v y="$y" 'BEGIN { printf "%d %d\n", x * s, y * s }')
    xdotool mousemove --window "$control" "$x" "$y" click 1
}

# Checks the display frame against the control frame. The toolkit places windows in whole
# logical pixels, so at a fractional scale not every pixel of the screen can be reached: there a
# frame may lie one pixel off where it belongs, and the offset of 5000 twips (333 1/3 logical
# pixels) one logical pixel off. At scale 1 both are exact.
check() { # SCALE WHERE
    local cx cy dx dy dw dh want_x want_y across near verdict
    read -r cx cy _ < <(settled_frame "$control")
    read -r dx dy dw dh < <(settled_frame "$display")
    read -r want_x across near < <(awk -v s="$1" -v c="$cx" 'BEGIN {
        x = c + 5000 / 15 * s; printf "%d %d %d\n", x + 0.5, s == 1 ? 0 : s + 0.999, s != int(s) }')
    want_y=$cy
    # Too far right or down: flush with the screen's right or bottom edge, give or take the
    # rounding of the frame's size to whole logical pixels.
    [ $((want_x + dw)) -le $screen_w ] || want_x=$((screen_w - dw))
    [ $((want_y + dh)) -le $screen_h ] || want_y=$((screen_h - dh)) near=$across
    verdict=ok
    within() { [ $(($1 - $2)) -le "$3" ] && [ $(($2 - $1)) -le "$3" ]; }
    within "$dy" "$want_y" "$near" || verdict=fail
    within "$dx" "$want_x" "$across" || verdict=fail
    # On the screen, but for a pixel of rounding at a fractional scale.
    [ "$dx" -ge 0 ] && [ "$dy" -ge 0 ] || verdict=fail
    [ $((dx + dw)) -le $((screen_w + near)) ] && [ $((dy + dh)) -le $((screen_h + near)) ] ||
        verdict=fail
    $verdict "scale $1, $2: control frame at $cx,$cy; display frame ${dw}x$dh at $dx,$dy" \
        "(expected $want_x,$want_y)"
}

hidden() { [[ "$(xwininfo -id "$1" 2>/dev/null)" != *IsViewable* ]]; }

# Moves the display out of its place, as a person may, so that the next "Simulate" is seen to put
# it back: the display's frame before the click is known, and the check waits for it to change.
move_display_away() {
    xdotool windowmove --sync "$display" 3 300
    away=$(settled_frame "$display")
}

# The display's frame once the program has moved it from where it was before the click, or, for a
# newly shown display, once it stands still.
moved() { [ "$(outer_frame "$display")" != "$away" ]; }
placed_display() {
    wait_until 5 moved || true
    settled_frame "$display" >/dev/null
}

for scale in $scales; do
    QT_SCALE_FACTOR=$scale "$kelvane" &
    program_pid=$!
    control=$(find_window Control) || { echo "no window Control" >&2; exit 1; }
    settled_frame "$control" >/dev/null
    # The first "Simulate" shows a display the window manager has yet to frame.
    away=
    simulate "$scale"
    display=$(find_window Display) || { echo "no window Display" >&2; exit 1; }
    placed_display
    check "$scale" "first Simulate"
    # Later ones, with the control window where openbox put it, near the left edge, then far
    # right and low.
    for where in "openbox" "40 200" "700 500"; do
        [ "$where" = openbox ] || xdotool windowmove --sync "$control" $where
        settled_frame "$control" >/dev/null
        move_display_away
        simulate "$scale"
        placed_display
        check "$scale" "again, control at ${where/ /,}"
    done
    # Closed with its frame's close button away from its place, it is framed anew and put back
    # when shown again.
    move_display_away
    wmctrl -i -c "$display"
    wait_until 5 hidden "$display" || true
    simulate "$scale"
    display=$(find_window Display) || { echo "Display did not come back" >&2; exit 1; }
    placed_display
    check "$scale" "shown again after its close button"
    if [ -n "${SHOT:-}" ]; then
        import -window root "$SHOT"
        SHOT=
    fi
    kill "$program_pid"
    wait "$program_pid" 2>/dev/null || true
    program_pid=
done

finish_checks "the display's placement"
