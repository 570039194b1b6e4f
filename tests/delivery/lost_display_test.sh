#!/usr/bin/env bash
# The built programs when their display goes away under them: the compositor that holds their
# XWayland killed, or Tessaly's own Wayland compositor, or a plain X server ended. Each ends within
# a bounded time with status 1 and one line on standard error: never 0 as after End, never a core.
# A window manager that ends alone leaves the display: the program runs on until End.
#
# usage: lost_display_test.sh KELVANE TESSALY   (exits 77, skipped, where no compositor is installed)
set -uo pipefail

kelvane=$1 tessaly=$2
here=$(dirname "$0")
source "$here/../../tools/own_compositor.sh"
source "$here/../../tools/own_x_server.sh"
command -v xdotool >/dev/null || { echo "skipped: xdotool is not installed"; exit 77; }
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

# ---- On a compositor: which program, its platform (empty: its own choice), the compositor's end
while read -r name platform signal; do
    [ "$platform" != - ] || platform=
    start_own_compositor
    what="$name on ${platform:-its own choice}, the compositor sent SIG$signal"
    (exec env -u QT_QPA_PLATFORM ${platform:+QT_QPA_PLATFORM=$platform} \
        XDG_RUNTIME_DIR="$compositor_runtime" WAYLAND_DISPLAY="$compositor_socket" \
        DISPLAY="$compositor_x" WAYLAND_DEBUG=client "${program[$name]}" 2>"$work/err") &
    program_pid=$!
    shown=
    if [ "$platform" = wayland ]; then
        for _ in $(seq 200); do
            grep -q 'wl_surface@[0-9]*\.attach' "$work/err" && { shown=1; break; }
            sleep 0.1
        done
    else
        DISPLAY=$compositor_x timeout 20 xdotool search --sync --onlyvisible \
            --name "^${title[$name]}\$" >/dev/null && shown=1
    fi
    if [ -z "$shown" ]; then
        fail "$what: no window"
        kill "$program_pid" 2>/dev/null
        wait "$program_pid" 2>/dev/null
        stop_own_compositor
        continue
    fi
    x=$compositor_x
    stop_own_compositor "$signal"
    # Qt's Wayland plug-in says the compositor is gone in its own words.
    line="$name: lost the X display \"$x\" (its server ended, or the compositor it ran in)"
    [ "$platform" != wayland ] || line=
    expect_lost "$what" "$line"
done <<'CASES'
kelvane - TERM
kelvane - KILL
tessaly xcb TERM
tessaly xcb KILL
tessaly wayland KILL
CASES

# ---- On a plain X server: its window manager ends alone, then the server itself ---------------
start_own_x_server --wm
trap finish EXIT # the server's start put its own in place
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

finish_checks "lost displays"
