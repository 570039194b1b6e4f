#!/usr/bin/env bash
# The programs built for another processor against the same programs built for this one: the
# same pictures pixel for pixel, the same numbers, the same words and exit statuses.
#
# usage: same_results_test.sh REFERENCE_BIN OTHER_BIN
#   REFERENCE_BIN: the folder of this machine's kelvane and tessaly; OTHER_BIN: the other build's,
#   run through KT_LAUNCHER (an emulator).
set -euo pipefail

# ctest's skip status, 77: there is nothing to hold the programs against.
for program in "$1/kelvane" "$1/tessaly"; do
    [ -x "$program" ] || { echo "no $program to compare with: build the release preset first"; exit 77; }
done
reference=$(cd "$1" && pwd) other=$(cd "$2" && pwd)
command -v compare >/dev/null || { echo "missing compare: run tools/setup.sh test" >&2; exit 1; }
read -ra launcher <<<"${KT_LAUNCHER-}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/../checks.sh"
unset DISPLAY WAYLAND_DISPLAY
export QT_QPA_PLATFORM=offscreen

# run SIDE PROGRAM ARGUMENTS...: output, errors and status in $work/SIDE.{out,err,status}
run() {
    local side=$1 command=("$reference/$2") status=0
    [ "$side" = reference ] || command=("${launcher[@]}" "$other/$2")
    shift 2
    "${command[@]}" "$@" >"$work/$side.out" 2>"$work/$side.err" </dev/null || status=$?
    echo "$status" >"$work/$side.status"
}

# Words and statuses, whatever the processor: the version, and numbers at the edges of what is
# read and held. PROGRAM|ARGUMENTS
while IFS='|' read -r program arguments; do
    read -ra argv <<<"$arguments"
    for side in reference other; do
        (cd "$work" && run "$side" "$program" "${argv[@]}")
    done
    for what in status out err; do
        # The program names itself as it was started: by its path here.
        expected=$(sed "s|$reference/||g" "$work/reference.$what")
        actual=$(sed "s|$other/||g" "$work/other.$what")
        [ "$expected" = "$actual" ] && echo "ok: $program $arguments: same $what" ||
            fail "$program $arguments: $what '$actual', here '$expected'"
    done
done <<'ROWS'
kelvane|--version
tessaly|--version
tessaly|--index 1e999
tessaly|--index 93
ROWS

# The numbers of a timed run; the seconds are the processor's own.
run reference tessaly --index 27 --json
cp "$work/reference.out" "$work/reference.json"
run other tessaly --index 27 --json
expect_equal "tessaly --index 27 --json: status" 0 "$(cat "$work/other.status")"
if python3 - "$work/reference.json" "$work/other.out" <<'PY'; then
import json, sys
here, there = (json.load(open(name)) for name in sys.argv[1:])
assert set(here) == set(there), (sorted(here), sorted(there))
for key in set(here) - {"seconds", "statistics", "processor"}:
    assert here[key] == there[key], (key, here[key], there[key])
assert (there["index"], there["result"], there["cycles_done"]) == (27, 196418, 1), there
PY
    echo "ok: tessaly --index 27 --json: the same document"
else
    fail "tessaly --index 27 --json: the documents differ"
fi

# Every step's picture and the final one of a long random run, pixel for pixel.
arguments=(--factor 2.5 --random yes --size 640x480)
"$reference/kelvane" "${arguments[@]}" --render "$work/reference.png" --frames "$work/reference"
"${launcher[@]}" "$other/kelvane" "${arguments[@]}" --render "$work/other.png" --frames "$work/other"
frames=$(find "$work/reference" -name 'frame-*.png' | wc -l)
expect_equal "frames of ${arguments[*]}" 230 "$frames"
expect_equal "frames built elsewhere" "$frames" "$(find "$work/other" -name 'frame-*.png' | wc -l)"
differing=0
for picture in "$work/reference.png" "$work"/reference/frame-*.png; do
    counterpart=${picture/#"$work/reference"/"$work/other"}
    cmp -s "$picture" "$counterpart" && continue
    # Another encoder may write the same pixels into other bytes.
    pixels=$(compare -metric AE "$picture" "$counterpart" null: 2>&1 || true)
    [ "$pixels" = 0 ] && continue
    fail "$(basename "$counterpart"): $pixels pixels differ"
    differing=$((differing + 1))
done
[ "$differing" -gt 0 ] || echo "ok: the render and all $frames frames are the same"

finish_checks "same results"
