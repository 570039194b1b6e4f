#!/usr/bin/env bash
# The seconds per cycle a person reads in Tessaly's window, against the same recursion written
# plainly in one file, once with its inlining forbidden (tessaly_plain) and once with nothing
# forbidden (tessaly_textbook), and against a cycle of the same program on the command line.
# Starts the real program under an X server of its own with a window manager, types the index,
# presses "Start" and copies the "Seconds per cycle" box through the clipboard, as a person
# would. Each cycle is a run of its own, so that every reading is one cycle's time; the others
# run between them, so that all see the machine alike. The fastest of each is compared: a busy
# moment only ever makes a run slower.
#
# usage: bench/tessaly/window_seconds.sh [INDEX [CYCLES [BUILD]]]
#   defaults: index 42, 3 cycles, build/bin
set -euo pipefail
cd "$(dirname "$0")/../.."

index=${1:-42} cycles=${2:-3} bin=${3:-build/bin}
for program in tessaly tessaly_plain tessaly_textbook; do
    [ -x "$bin/$program" ] || { echo "no $bin/$program: build it first" >&2; exit 1; }
done
command -v xclip >/dev/null || { echo "missing xclip: run tools/setup.sh test" >&2; exit 1; }

source tools/own_x_server.sh
start_own_x_server --wm 1024x768
"$bin/tessaly" 2>/dev/null &
program_pid=$!
window=$(wait_for_window "Tessaly Calculator") || { echo "no Tessaly window" >&2; exit 1; }

read -r end_x end_y end_w end_h < <(control_rect tessaly EndSyncCommand)
end_button() {
    import -window "$window" -crop "${end_w}x$end_h+$end_x+$end_y" +repage "$xvfb_dir/$1.png"
}
end_button end

# Waits until the second button reads "End" again, once it has read something else or a second
# has passed: a short run may be over before it was ever seen to read "Cancel". Looking at the
# screen asks nothing of the program, so the run is not slowed down.
wait_for_end() {
    local started= polls=0
    for _ in $(seq 3000); do
        end_button now
        if ! cmp -s "$xvfb_dir/now.png" "$xvfb_dir/end.png"; then
            started=1
        elif [ -n "$started" ] || [ "$polls" -ge 20 ]; then
            return 0
        fi
        polls=$((polls + 1))
        sleep 0.05
    done
    echo "the run of index $index did not end within minutes" >&2
    exit 1
}

box_text() { # CONTROL: the text of the box, by way of the clipboard
    click_control "$window" tessaly "$1"
    xdotool key --window "$window" ctrl+a ctrl+c
    sleep 0.1
    timeout 5 xclip -o -selection clipboard
}

type_into "$window" tessaly NText "$index"

smaller() { # A [B]: the smaller number, or A when B is empty
    awk -v a="$1" -v b="$2" 'BEGIN { print (b == "" || a + 0 < b + 0) ? a + 0 : b }'
}

best_window= best_plain= best_textbook= best_command_line=
for cycle in $(seq "$cycles"); do
    read -r plain number < <("$bin/tessaly_plain" "$index")
    read -r textbook _ < <("$bin/tessaly_textbook" "$index")
    command_line=$("$bin/tessaly" --index "$index" --no-progress |
        awk '/^cycle 1 of 1: / { print $5 }')
    click_control "$window" tessaly StartSyncCommand
    wait_for_end
    seconds=$(box_text "ResultText(1)")
    shown=$(box_text "ResultText(0)")
    [ "$(echo $shown)" = "$number" ] ||
        { echo "the window shows F($index) = '$shown', the plain program $number" >&2; exit 1; }
    echo "cycle $cycle: window $seconds s, command line $command_line s, plain $plain s," \
        "textbook $textbook s"
    best_window=$(smaller "$seconds" "$best_window")
    best_plain=$(smaller "$plain" "$best_plain")
    best_textbook=$(smaller "$textbook" "$best_textbook")
    best_command_line=$(smaller "$command_line" "$best_command_line")
done

awk -v w="$best_window" -v p="$best_plain" -v t="$best_textbook" -v c="$best_command_line" \
    -v n="$index" 'BEGIN {
    printf "index %d, best of the cycles: window %.4f s, command line %.4f s, plain %.4f s, " \
        "textbook %.4f s\n", n, w, c, p, t
    printf "ratios: window/plain %.3f, window/textbook %.3f, command line/window %.3f, " \
        "command line/textbook %.3f\n", w / p, w / t, c / w, c / t
}'
click_control "$window" tessaly EndSyncCommand
wait_for_exit 5 || true
