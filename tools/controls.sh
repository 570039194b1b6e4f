# shellcheck shell=bash disable=SC2034 # exit_status is read by the scripts that source this
# Sourced by the scripts that press the programs' controls or wait for them to end (own_x_server.sh
# sources it for every script with an X server of its own).
#
# control_rect PROGRAM CONTROL: prints "X Y WIDTH HEIGHT" of a named control in pixels of its
#   window's client area at 96 dpi.
# control_centre PROGRAM CONTROL: prints "X Y" of the control's centre, where a click lands on it.
# click_control WINDOW PROGRAM CONTROL [CLICK...]: moves the pointer there and clicks; CLICK is
#   what follows xdotool's "click" ("--repeat 3 1" selects a box's text), "1" unless given.
# wait_for_exit SECONDS [PID]: waits up to SECONDS for the process (program_pid unless given) to
#   end, and sets exit_status to its status, or to "running" (returning 1) if it has not ended.

# Where the forms put their controls: Left Top Width Height in twips, as the forms declare them,
# so that a control moved in a form is moved here once.
controls_twips='
kelvane Command1 240 120 1335 495
kelvane Command2 1800 120 975 495
kelvane Tnc 1800 840 735 375
kelvane TRandom 1800 1320 735 375
kelvane TDynamic 1800 1800 735 375
kelvane Tage 1800 2280 735 375
tessaly StartSyncCommand 240 1440 975 375
tessaly EndSyncCommand 1440 1440 975 375
tessaly NText 240 240 975 375
tessaly ResultText(0) 1440 240 975 375
tessaly ResultText(1) 2640 240 975 375
tessaly nT 1440 840 975 375
tessaly cntT 2640 840 975 375
'

control_rect() {
    local program control left top width height
    while read -r program control left top width height; do
        [ "$program $control" = "$1 $2" ] || continue
        # 15 twips a pixel, rounded to the nearest pixel as the forms round.
        echo "$(((left * 2 + 15) / 30)) $(((top * 2 + 15) / 30))" \
            "$(((width * 2 + 15) / 30)) $(((height * 2 + 15) / 30))"
        return 0
    done <<<"$controls_twips"
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
