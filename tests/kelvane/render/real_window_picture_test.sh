#!/usr/bin/env bash
# The picture --render writes, held pixel for pixel against the display window of the real
# program after one Simulate with the same boxes, on an X server of its own. A run paces itself at
# 0.3 s a step, 52 s at the design size: where libfaketime is there, the program's clock runs
# twenty times as fast, which changes the pace and nothing of what is drawn.
#
# usage: real_window_picture_test.sh KELVANE
set -euo pipefail

kelvane=$1
source "$(dirname "$0")/../../../tools/own_x_server.sh"
source "$(dirname "$0")/../../checks.sh"
start_own_x_server 1280x1024
for tool in import compare identify; do
    command -v "$tool" >/dev/null || { echo "missing $tool: run tools/setup.sh" >&2; exit 1; }
done
work=$xvfb_dir/pictures
mkdir -p "$work"

# Preloaded into the program itself, so that its process id is the program's. A sanitizer's
# run-time must come first and takes no preload.
# The loader's list is read whole: a reader that stopped at the first match would leave ldd
# writing into a closed pipe, and under pipefail its SIGPIPE would read as "no sanitizer".
shopt -s nullglob
faketime_libraries=(/usr/lib/*/faketime/libfaketime.so.1)
shopt -u nullglob
faketime_library=${faketime_libraries[0]:-}
libraries=$(ldd "$kelvane")
if [ -n "$faketime_library" ] && [[ "$libraries" != *libasan* ]]; then
    fast=(env LD_PRELOAD="$faketime_library" FAKETIME="+0 x20")
    rows=("1 yes yes" "2.5 no yes" "0.5 yes no")
    limit=60
else
    if [ -n "$faketime_library" ]; then
        echo "note: a sanitizer build takes no preload, one run at the real pace (about a minute)"
    else
        echo "note: no libfaketime (package faketime), one run at the real pace (about a minute)"
    fi
    fast=()
    rows=("2.5 no yes")
    limit=150
fi

# Whether the window comes to show the picture within the limit. Every step draws a larger ring,
# so only the last one can match the final picture.
shows_picture() { # WINDOW PICTURE
    local end=$((SECONDS + limit))
    while [ "$SECONDS" -lt "$end" ]; do
        import -window "$1" "png:$work/window.png"
        differing=$(compare -metric AE "$work/window.png" "$2" null: 2>&1 || true)
        [ "$differing" = 0 ] && return 0
        sleep 0.2
    done
    return 1
}

gone() { ! xdotool search --onlyvisible --name '^(Control|Display)$' >/dev/null 2>&1; }
for row in "${rows[@]}"; do
    read -r factor random dynamic <<<"$row"
    started=$SECONDS
    "$kelvane" --render "$work/render.png" --factor "$factor" --random "$random" \
        --dynamic "$dynamic"
    "${fast[@]}" "$kelvane" &
    program_pid=$!
    control=$(wait_for_window Control) || { echo "no window Control" >&2; exit 1; }
    if [ "$factor" != 1 ]; then
        type_into "$control" kelvane Tnc "$factor"
    fi
    [ "$random" = yes ] || click_control "$control" kelvane TRandom
    [ "$dynamic" = yes ] || click_control "$control" kelvane TDynamic
    click_control "$control" kelvane Command1 # "Simulate"
    display=$(wait_for_window Display) || { echo "no window Display" >&2; exit 1; }
    what="factor $factor, random $random, dynamic $dynamic"
    if shows_picture "$display" "$work/render.png"; then
        ok "$what: the same picture ($((SECONDS - started)) s)"
    else
        fail "$what: the window $(identify -format %wx%h "$work/window.png") differs from" \
            "the picture in $differing pixels at the end"
        [ -z "${KEEP_SHOTS:-}" ] || cp "$work/window.png" "$KEEP_SHOTS/window-$factor.png"
        [ -z "${KEEP_SHOTS:-}" ] || cp "$work/render.png" "$KEEP_SHOTS/render-$factor.png"
    fi
    kill "$program_pid"
    wait "$program_pid" 2>/dev/null || true
    program_pid=
    # Its windows go with its connection; the next program's must not be taken for them.
    wait_until 5 gone || true
done
finish_checks "the pictures against the window"
