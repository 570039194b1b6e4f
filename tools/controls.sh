# shellcheck shell=bash disable=SC2034 # exit_status is read by the scripts that source this
# Sourced by the scripts that press the programs' controls or wait for them to end (own_x_server.sh
# sources it for every script with an X server of its own).
#
# control_rect PROGRAM CONTROL: prints "X Y WIDTH HEIGHT" of a named control in logical pixels
#   of its window's client area.
# control_centre PROGRAM CONTROL: prints "X Y" of the control's centre, where a click lands on it.
# click_control WINDOW PROGRAM CONTROL [CLICK...]: moves the pointer there and clicks; CLICK is
#   what follows xdotool's "click" ("--repeat 3 1" selects a box's text), "1" unless given.
# wait_for_exit SECONDS [PID]: waits up to SECONDS for the process (program_pid unless given) to
#   end, and sets exit_status to its status, or to "running" (returning 1) if it has not ended.

# Where the forms put their controls: the table that every build writes from the forms
# themselves (tools/controls_table), "PROGRAM CONTROL X Y WIDTH HEIGHT" a line. KT_CONTROLS names
# it; otherwise it is the one of the build tree the script runs in, as ctest runs it, or else of
# build/ beside this folder.
controls_fallback=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build
controls_table() {
    local dir=$PWD
    if [ -n "${KT_CONTROLS:-}" ]; then
        echo "$KT_CONTROLS"
        return
    fi
    while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do
        dir=$(dirname "$dir")
    done
    [ "$dir" != / ] || dir=$controls_fallback
    echo "$dir/controls.txt"
}

control_rect() {
    local table program control x y width height
    table=$(controls_table)
    [ -f "$table" ] || { echo "no table of controls at $table: build the project" >&2; return 1; }
    while read -r program control x y width height; do
        [ "$program $control" = "$1 $2" ] || continue
        echo "$x $y $width $height"
        return 0
    done <"$table"
    echo "no control $2 in $1" >&2
    return 1
}

control_centre() {
    local x y width height
    read -r x y width height < <(control_rect "$1" "$2") || return 1
    echo "$((x + width / 2)) $((y + height / 2))"
}

click_control() {
    local window=$1 x y
    read -r x y < <(control_centre "$2" "$3") || exit 1
    shift 3
    [ $# -gt 0 ] || set -- 1
    xdotool mousemove --window "$window" "$x" "$y" click "$@"
}

# Set by wait_for_exit, read by its callers.
exit_status=
wait_for_exit() {
    local pid=${2:-${program_pid:-}}
    exit_status=running
    for _ in $(seq $(($1 * 20))); do
        if ! kill -0 "$pid" 2>/dev/null; then
            exit_status=0
            wait "$pid" 2>/dev/null || exit_status=$?
            # Ended and reaped: nothing for the exit handler to end any more.
            [ "$pid" != "${program_pid:-}" ] || program_pid=
            return 0
        fi
        sleep 0.05
    done
    return 1
}
