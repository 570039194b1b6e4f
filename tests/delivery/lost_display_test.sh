#!/usr/bin/env bash
# The built programs on a Wayland desktop of the test's own, and when their display or their
# windows go away under them. On a headless compositor with XWayland and no platform chosen,
# Tessaly runs natively on Wayland; Kelvane, which places its windows, runs on XWayland, shows its
# display window at "Simulate" and ends when its control window goes. With the compositor that
# holds them killed, or a plain X server ended, each ends within a bounded time with status 1 and
# one line on standard error: never 0 as after End, never a core. A window manager that ends alone
# leaves the display: the program runs on until End. A window destroyed by another client
# (xdotool windowclose): the start-up window's loss ends the program as its close does, with
# status 0, mid-run too; Kelvane's display window lost comes back at the next "Simulate".
#
# The headless compositor has no seat: nothing can type into Tessaly, and its XWayland crashes on
# synthetic pointer motion, so the programs are driven there through the X server's focus and
# sent keys alone.
#
# usage: lost_display_test.sh KELVANE TESSALY
#   Exits 77 (skipped) where no compositor is installed, once the checks on X have passed.
set -uo pipefail

kelvane=$1 tessaly=$2
here=$(dirname "$0")
source "$here/../../tools/own_compositor.sh"
source "$here/../../tools/own_x_server.sh"
for tool in xdotool xwininfo; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
finish() {
    stop_own_compositor
    stop_own_x_server
    rm -rf "$work"
}
trap finish EXIT
source "$here/../checks.sh"

declare -A program=([kelvane]=$kelvane [tessaly]=$tessaly)
declare -A title=([kelvane]=Control [tessaly]="Tessaly Calculator")

# expect_lost WHAT LINE: the program in program_pid ends within 10 s with status 1 and one line
# on standard error ($work/err), the given one unless empty. Wayland's protocol log, which shows
# when a window is drawn, is no part of what the program says.
expect_lost() {
    wait_for_exit 10 || true
    local err lines
    err=$(grep -v '^\[ *[0-9]*\.[0-9]*\] ' "$work/err")
    lines=0
    [ -z "$err" ] || lines=$(grep -c '' <<<"$err")
    if [ "$exit_status" != 1 ]; then
        fail "$1: status $exit_status, expected 1: $err"
    elif [ "$lines" -ne 1 ]; then
        fail "$1: $lines lines on standard error, expected one: $err"
    elif [ -n "$2" ] && [ "$err" != "$2" ]; then
        fail "$1: said '$err', expected '$2'"
    else
        echo "ok: $1: status 1, '$err'"
    fi
}

# The window system plug-ins the program has loaded.
plugins() {
    grep -o 'libq\(wayland\|xcb\)[^/]*\.so' "/proc/$program_pid/maps" | sed 's/\.so.*//' |
        sort -u | tr '\n' ' '
}

client() { # WINDOW: "X Y WIDTHxHEIGHT" of the client area on the screen
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
        /^ *Width:/ {w=$NF} /^ *Height:/ {h=$NF} END {print x, y, w "x" h}'
}

# Shown on Wayland: the protocol log has the window's title and a drawn buffer.
shown_on_wayland() {
    grep -qF "set_title(\"${title[$name]}\")" "$work/err" &&
        grep -q 'wl_surface@[0-9]*\.attach' "$work/err"
}

# ---- On a compositor: which program, the platform chosen for it (-: none, its own choice), the
# plug-in it then runs on, and what ends it: the compositor sent TERM or KILL, the program sent
# SIGTERM, or its control window closed. Where no compositor is installed the checks on X stand,
# and this part is skipped.
compositor=1
command -v weston >/dev/null && command -v Xwayland >/dev/null || compositor=
while read -r name choice plugin end; do
    [ -n "$compositor" ] || break
    start_own_compositor
    export DISPLAY=$compositor_x
    [ "$choice" != - ] || choice=
    what="$name on ${choice:-its own choice}"
    (exec env -u QT_QPA_PLATFORM ${choice:+QT_QPA_PLATFORM=$choice} \
        XDG_RUNTIME_DIR="$compositor_runtime" WAYLAND_DISPLAY="$compositor_socket" \
        WAYLAND_DEBUG=client "${program[$name]}" 2>"$work/err") &
    program_pid=$!
    window=
    if [ "$plugin" = xcb ]; then
        # The list is read whole and cut here: head would leave xdotool a closed pipe.
        window=$(timeout 20 xdotool search --sync --onlyvisible --name "^${title[$name]}\$")
        window=${window%%$'\n'*}
    else
        wait_until 20 shown_on_wayland && window=wayland
    fi
    if [ -z "$window" ]; then
        fail "$what: no window"
        kill "$program_pid" 2>/dev/null
        wait "$program_pid" 2>/dev/null
        stop_own_compositor
        continue
    fi
    expect_equal "$what: window system" "libq$plugin " "$(plugins)"
    case $end in
    TERM | KILL)
        kill -0 "$compositor_pid" 2>/dev/null || fail "$what: the compositor ended under it"
        x=$compositor_x
        stop_own_compositor "$end"
        # Qt's Wayland plug-in says the compositor is gone in its own words.
        line="$name: lost the X display \"$x\" (its server ended, or the compositor it ran in)"
        [ "$plugin" = xcb ] || line=
        expect_lost "$what, the compositor sent SIG$end" "$line"
        ;;
    SIGTERM)
        kill -TERM "$program_pid"
        expect_exit "$what, sent SIGTERM" 143 10
        ;;
    close)
        # "Simulate" has the focus when the window opens: a space presses it.
        xdotool windowfocus --sync "$window"
        xdotool key --window "$window" space
        display=$(timeout 20 xdotool search --sync --onlyvisible --name '^Display$')
        display=${display%%$'\n'*}
        if [ -n "$display" ]; then
            read -r cx cy csize < <(client "$window")
            read -r dx dy dsize < <(client "$display")
            expect_equal "Control client size" 312x206 "$csize"
            expect_equal "Display client size" 410x364 "$dsize"
            # The compositor's shell places X windows as it does its own, where the program asked or
            # not.
            echo "measured: Control's client area at $cx,$cy, Display's at $dx,$dy" \
                "(beside would be $((cx + 5000 / 15)),$cy, the frames being alike)"
        else
            fail "$what: no window Display after Simulate"
        fi
        xdotool windowclose "$window"
        expect_exit "$what, its control window gone" 0 2
        ;;
    esac
    kill -0 "$compositor_pid" 2>/dev/null || [ -z "$compositor_pid" ] ||
        fail "$what: the compositor ended under it"
    stop_own_compositor
done <<'CASES'
kelvane - xcb close
kelvane - xcb TERM
kelvane - xcb KILL
tessaly - wayland-generic SIGTERM
tessaly xcb xcb TERM
tessaly xcb xcb KILL
tessaly - wayland-generic KILL
CASES

# ---- On a plain X server: windows destroyed, its window manager ends alone, then the server ---
start_own_x_server --wm
trap finish EXIT # the server's start put its own in place
start_accessibility_bus
"$kelvane" &
program_pid=$!
control=$(wait_for_window Control) || { echo "no window Control" >&2; exit 1; }
simulate() { click_control "$control" kelvane Command1; }
simulate
display=$(wait_for_window Display) || { echo "no window Display" >&2; exit 1; }
# The server tells the program of the loss before it passes on the click that follows.
xdotool windowclose "$display"
simulate
again=$(wait_for_window Display) && [ "$again" != "$display" ] &&
    echo "ok: Display shown anew after its window was destroyed" ||
    fail "Display did not come back after its window was destroyed"
xdotool windowclose "$control"
expect_exit "Kelvane after its control window was destroyed" 0 2

# Tessaly mid-run: index 30 a hundred thousand times.
"$tessaly" &
program_pid=$!
calculator=$(wait_for_window "Tessaly Calculator") || { echo "no Tessaly window" >&2; exit 1; }
type_into "$calculator" tessaly NText 30
type_into "$calculator" tessaly nT 100000
click_control "$calculator" tessaly StartSyncCommand
wait_until 10 screen_reader shows Tessaly "push button" Cancel || fail "the run did not start"
xdotool windowclose "$calculator"
expect_exit "Tessaly after its window was destroyed mid-run" 0 2

"$kelvane" 2>"$work/err" &
program_pid=$!
control=$(wait_for_window Control) || { echo "no window Control" >&2; exit 1; }
kill "$wm_pid"
wait "$wm_pid" 2>/dev/null
wm_pid=
# The server answers for the program: the window is still there once the manager has gone.
xdotool search --name '^Control$' >/dev/null || fail "Control went with the window manager"
click_control "$control" kelvane Command2
expect_exit "Kelvane after End, its window manager gone" 0 10

"$kelvane" 2>"$work/err" &
program_pid=$!
wait_for_window Control >/dev/null || { echo "no window Control" >&2; exit 1; }
kill "$xvfb_pid"
wait "$xvfb_pid" 2>/dev/null
xvfb_pid=
expect_lost "kelvane, its X server ended" \
    "kelvane: lost the X display \"$DISPLAY\" (its server ended, or the compositor it ran in)"

finish_checks "Wayland desktops, lost displays and destroyed windows" || exit 1
[ -n "$compositor" ] ||
    { echo "skipped: no compositor (weston and Xwayland: tools/setup.sh test installs them)"; exit 77; }
