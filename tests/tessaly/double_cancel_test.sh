#!/usr/bin/env bash
# Tessaly on a desktop with a window manager: a double click on "Cancel", and Enter pressed twice
# on it, cancel the run and leave the program running, idle; "End" clicked later ends it with
# status 0.
#
# usage: tessaly_double_cancel_test.sh TESSALY
#   KEEP_SHOTS=DIR keeps the captured buttons, "Canceled" among them, for a look.
set -euo pipefail

tessaly=$1
source "$(dirname "$0")/../tools/own_x_server.sh"
start_own_x_server --wm 800x600
shots=$xvfb_dir/shots
mkdir -p "$shots"

failures=0
check() { # WHAT EXPECTED ACTUAL
    if [ "$2" = "$3" ]; then echo "ok: $1: $3"; else
        echo "FAIL: $1: expected $2, got $3" >&2
        failures=$((failures + 1))
    fi
}

"$tessaly" &
program_pid=$!
window=$(wait_for_window "Tessaly Calculator") || { echo "no Tessaly window" >&2; exit 1; }
read -r end_x end_y end_w end_h < <(control_rect tessaly EndSyncCommand)
button() { # FILE: the second button as the screen shows it, the pointer away from it
    xdotool mousemove --window "$window" 230 120
    sleep 0.1
    import -window "$window" -crop "${end_w}x$end_h+$end_x+$end_y" +repage "$shots/$1"
}
# "End" with the keyboard focus, as it is after a click on it or a Tab to it.
xdotool key --window "$window" Tab
button end.png

# "same" when the second button looks as "End" with the focus, else "different".
looks_idle() {
    button now.png
    cmp -s "$shots/now.png" "$shots/end.png" && echo same || echo different
}
running() { kill -0 "$program_pid" 2>/dev/null && echo yes || echo no; }
# Nothing more can be checked once the program has gone.
still_running() { # AFTER
    check "running after $1" yes "$(running)"
    [ "$(running)" = yes ] || exit 1
}

# Index 42, five cycles: several seconds of work. Returns once the button reads "Cancel".
start_run() {
    click_control "$window" tessaly NText --repeat 3 1 key ctrl+a type 42
    click_control "$window" tessaly nT --repeat 3 1 key ctrl+a type 5
    click_control "$window" tessaly StartSyncCommand
    for _ in $(seq 50); do
        [ "$(looks_idle)" = different ] && return 0
        sleep 0.1
    done
    echo "the run did not start" >&2
    exit 1
}

start_run
button cancel.png
click_control "$window" tessaly EndSyncCommand --repeat 2 --delay 250 1
sleep 1
still_running "a double click on Cancel"
check "the button after a double click on Cancel" same "$(looks_idle)"

# The focus moves from "Start", clicked, to the second button.
start_run
xdotool key --window "$window" Tab
xdotool key --window "$window" Return sleep 0.3 key --window "$window" Return
sleep 1
still_running "Enter twice on Cancel"
check "the button after Enter twice on Cancel" same "$(looks_idle)"

# A picture of "Canceled", taken as soon as the cancel has been pressed: for a look only, as the
# capture may come after the button has turned to "End".
start_run
click_control "$window" tessaly EndSyncCommand
import -window "$window" "$shots/canceled_window.png"
sleep 1

click_control "$window" tessaly EndSyncCommand
wait_for_exit 2 || true
check "status after End" 0 "$exit_status"

[ -z "${KEEP_SHOTS:-}" ] || cp -r "$shots" "$KEEP_SHOTS"
[ "$failures" -eq 0 ] || { echo "$failures checks failed" >&2; exit 1; }
echo "all checks passed"
