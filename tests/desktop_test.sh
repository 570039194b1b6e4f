#!/usr/bin/env bash
# Both programs on a desktop as a person sees it: an X server of its own with openbox, a window
# manager that frames, places and closes windows. Checks the client sizes, what the close buttons
# do, and reads Tessaly's results off the screen.
#
# usage: desktop_test.sh KELVANE TESSALY [INDICES]
#   INDICES: the Fibonacci indices Tessaly times, "42 45" unless given (a sanitizer build takes
#   minutes for index 45).
set -euo pipefail

kelvane=$1 tessaly=$2 indices=${3:-42 45}
here=$(dirname "$0")
source "$here/../tools/own_x_server.sh"
start_own_x_server --wm 1280x1024
start_accessibility_bus
command -v wmctrl >/dev/null || { echo "missing wmctrl: run tools/setup.sh" >&2; exit 1; }
shots=$xvfb_dir/shots
mkdir -p "$shots"

source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
client_size() {
    xwininfo -id "$1" | awk '/^ *Width:/ {w=$NF} /^ *Height:/ {h=$NF} END {print w "x" h}'
}

# ---- Kelvane --------------------------------------------------------------------------------
"$kelvane" &
program_pid=$!
control=$(wait_for_window Control) || { echo "no window Control" >&2; exit 1; }
expect_equal "Control client size" 312x206 "$(client_size "$control")"

click_control "$control" kelvane Command1
display=$(wait_for_window Display) || { echo "no window Display" >&2; exit 1; }
expect_equal "Display client size" 410x364 "$(client_size "$display")"

# Where the display lands, and that a later "Simulate" shows it again, are display_placement's to
# check. Closing the display mid-run hides it; the run goes on, so the age keeps changing.
wmctrl -i -c "$display"
display_hidden() { [[ "$(xwininfo -id "$display" 2>/dev/null)" != *IsViewable* ]]; }
wait_until 5 display_hidden && ok "display hidden" ||
    fail "the display window is still shown after its close button"
age=$(screen_reader text Kelvane Age)
age_moved() { [ "$(screen_reader text Kelvane Age)" != "$age" ]; }
wait_until 5 age_moved && ok "the run goes on with the display closed" ||
    fail "the age stopped changing after the display window was closed"
kill -0 "$program_pid" 2>/dev/null || fail "Kelvane ended when its display window was closed"

# Closing the control window mid-run ends the program at once, with status 0.
wmctrl -i -c "$control"
expect_exit "Kelvane after closing Control mid-run" 0 1

# ---- Tessaly --------------------------------------------------------------------------------
"$tessaly" &
program_pid=$!
calculator=$(wait_for_window "Tessaly Calculator") || { echo "no Tessaly window" >&2; exit 1; }
expect_equal "Tessaly client size" 250x133 "$(client_size "$calculator")"

# The last column with ink in a box, counted from the box's left edge, and the box's inner right
# edge, where a line edit clips its text. The frame (2 pixels) is left out.
ink() { # PNG
    convert "$1" -shave 2x2 -colorspace gray -depth 8 txt:- | awk -F'[,: ]+' '
        NR > 1 { g = $0; sub(/.*gray\(/, "", g); sub(/\).*/, "", g)
                 if (g + 0 < 128) right = $1 > right ? $1 : right; if ($1 > last) last = $1 }
        END { print right + 2, last + 2 }'
}

# Types into a box, presses Start and waits until the run has written its result, on the screen
# too, and the second button reads "End" again.
run_index() { # INDEX
    local before
    before=$(screen_reader text Tessaly "Fibonacci number")
    control_picture "$calculator" tessaly "ResultText(0)" "$shots/before.png"
    type_into "$calculator" tessaly NText "$1"
    click_control "$calculator" tessaly StartSyncCommand
    run_ended() {
        [ "$(screen_reader text Tessaly "Fibonacci number")" != "$before" ] &&
            screen_reader shows Tessaly "push button" End &&
            control_picture "$calculator" tessaly "ResultText(0)" "$shots/after.png" &&
            ! cmp -s "$shots/before.png" "$shots/after.png"
    }
    wait_until 60 run_ended || fail "the run of index $1 did not end"
}

# A line edit clips a text too wide for it at its inner edge, so a cut text has ink in the
# columns next to that edge; a text that fits leaves them blank, and the two columns of the line
# edit's own margin besides.
check_box() { # WHAT CONTROL
    local shot="$shots/${1// /_}.png" right edge
    control_picture "$calculator" tessaly "$2" "$shot"
    read -r right edge < <(ink "$shot")
    echo "  $1: ink to column $right, inner edge at column $edge"
    [ "$right" -gt 2 ] || { fail "$1: the box is empty"; return; }
    [ "$right" -le $((edge - 2)) ] && echo "ok: $1 reads in full" ||
        fail "$1: the text runs into the box's edge, cut off"
}

for index in $indices; do
    run_index "$index"
    check_box "result of index $index" "ResultText(0)"
    check_box "average of index $index" "ResultText(1)"
done

# Closing the window mid-run ends the program within a second, with status 0. A hundred
# thousand cycles outlast the test.
type_into "$calculator" tessaly nT 100000
click_control "$calculator" tessaly StartSyncCommand
wait_until 10 screen_reader shows Tessaly "push button" Cancel ||
    fail "the run of a hundred thousand cycles did not start"
wmctrl -i -c "$calculator"
expect_exit "Tessaly after closing its window mid-run" 0 1

# KEEP_SHOTS=DIR keeps the captured boxes for a look.
[ -z "${KEEP_SHOTS:-}" ] || cp -r "$shots" "$KEEP_SHOTS"
finish_checks "both programs on a desktop"
