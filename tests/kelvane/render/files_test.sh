#!/usr/bin/env bash
# Kelvane's pictures to files as the real program writes them: names as bytes, the standard
# output, a run stopped by a signal, the memory a wide picture takes and the note of a long run. With "privileged" (as root): a full and a read-only file system, devices and a
# folder the user may not write; skipped, with the reason, where the machine forbids them.
#
# usage: files_test.sh KELVANE [privileged]
set -uo pipefail

kelvane=$1
mode=${2:-}
unset DISPLAY WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb
work=$(mktemp -d)
files=$work/files # what the program writes; its messages stay in $work
mkdir "$files"
mounted=()
cleanup() {
    for m in "${mounted[@]}"; do umount "$m"; done
    rm -rf "$work"
}
trap cleanup EXIT

source "$(dirname "${BASH_SOURCE[0]}")/../../checks.sh"
said() { # WHAT TEXT FILE: the file is that one line and nothing else
    if [ "$(cat "$3")" = "kelvane: $2" ]; then ok "$1 says '$2'"; else
        fail "$1: expected the line 'kelvane: $2', got:"
        cat "$3" >&2
    fi
}
# The files in a folder, as bytes, one a line.
listing() { (cd "$1" && find . -mindepth 1 | LC_ALL=C sort | od -An -tx1 | tr -d ' \n'); }

# run WHAT EXPECTED_STATUS ARGUMENTS...: standard error in $work/err
run() {
    local what=$1 expected=$2
    shift 2
    timeout 120 "$kelvane" "$@" >"$work/out" 2>"$work/err" </dev/null
    expect_equal "$what: status" "$expected" "$?"
}

if [ "$mode" = privileged ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "skipped: not root, so no file system can be mounted nor device made"
        exit 77
    fi
    skipped=
    mkdir "$work/small" "$work/ro"
    if mount -t tmpfs -o size=300k tmpfs "$work/small" 2>"$work/err"; then
        mounted+=("$work/small")
        # A whole picture takes about 16 kB; 8 kB are left.
        dd if=/dev/zero of="$work/small/fill" bs=1k count=292 status=none
        run "a nearly full disk" 1 --render "$work/small/x.png"
        said "a nearly full disk" \
            "cannot write the picture to '$work/small/x.png': No space left on device" "$work/err"
        expect_equal "a nearly full disk: what is left" "fill" "$(ls -A "$work/small")"
        run "frames on a nearly full disk" 1 --frames "$work/small/fr" --size 100x60
        grep -q "^kelvane: cannot write the frame '$work/small/fr/frame-[0-9]*.png': No space left on device$" \
            "$work/err" && ok "frames on a nearly full disk: the reason" ||
            fail "frames on a nearly full disk: $(cat "$work/err")"
        expect_equal "frames on a nearly full disk: what is left" "fill" "$(ls -A "$work/small")"
    else
        skipped="cannot mount a tmpfs here: $(cat "$work/err")"
    fi
    if mount -t tmpfs -o ro,size=64k tmpfs "$work/ro" 2>/dev/null; then
        mounted+=("$work/ro")
        run "a read-only file system" 1 --frames "$work/ro/f"
        said "a read-only file system" \
            "cannot make the folder '$work/ro/f' for the frames: Read-only file system" "$work/err"
    fi

    # A folder the user may not write in, as a user who is not root.
    chmod 755 "$work"
    mkdir -m 555 "$work/locked"
    if setpriv --reuid=65534 --regid=65534 --clear-groups true 2>/dev/null; then
        setpriv --reuid=65534 --regid=65534 --clear-groups \
            "$kelvane" --frames "$work/locked/f" >"$work/out" 2>"$work/err" </dev/null
        expect_equal "a folder the user may not write: status" 1 "$?"
        said "a folder the user may not write" \
            "cannot make the folder '$work/locked/f' for the frames: Permission denied" "$work/err"
        # A file the user made read-only stays, though its folder would let it be replaced.
        mkdir -m 777 "$work/open"
        echo kept >"$work/open/ro.png"
        chown 65534:65534 "$work/open/ro.png"
        chmod 444 "$work/open/ro.png"
        setpriv --reuid=65534 --regid=65534 --clear-groups \
            "$kelvane" --render "$work/open/ro.png" >"$work/out" 2>"$work/err" </dev/null
        expect_equal "a read-only file: status" 1 "$?"
        said "a read-only file" \
            "cannot write the picture to '$work/open/ro.png': Permission denied" "$work/err"
        expect_equal "a read-only file: kept" "kept ro.png" "$(cat "$work/open/ro.png") $(ls -A "$work/open")"
    else
        skipped="cannot run as another user here"
    fi

    # Devices, by name and among the frames: each stays what it is.
    mkdir "$work/d" "$work/fr"
    if mknod "$work/d/null" c 1 3 2>"$work/err" && mknod "$work/d/full" c 1 7 &&
        mknod "$work/fr/frame-07.png" c 1 3; then
        for device in null full; do
            run "a device ($device)" 1 --render "$work/d/$device"
            said "a device ($device)" "cannot write the picture to '$work/d/$device': Filename refers to a character device, not a file" "$work/err"
            expect_equal "a device ($device): still" "character special file" "$(stat -c %F "$work/d/$device")"
        done
        run "a device among the frames" 1 --frames "$work/fr" --size 100x60
        said "a device among the frames" "cannot write the frame '$work/fr/frame-07.png': Filename refers to a character device, not a file" "$work/err"
        expect_equal "a device among the frames: the folder" "frame-07.png" "$(ls -A "$work/fr")"
    else
        skipped="cannot make a device here: $(cat "$work/err")"
    fi
    if [ "$failures" -eq 0 ] && [ -n "$skipped" ]; then
        echo "skipped: $skipped"
        exit 77
    fi
    finish_checks "kelvane's files, privileged"
    exit
fi

# Names are bytes: a name that is not UTF-8 is written as given.
cafe=$files/caf$'\xe9'.png dir=$files/d$'\xe9'r
run "names that are not UTF-8" 0 --render "$cafe" --frames "$dir" --size 100x24
expect_equal "names that are not UTF-8: the files" \
    "$(printf '%s\n' ./caf$'\xe9'.png ./d$'\xe9'r ./d$'\xe9'r/frame-1.png ./d$'\xe9'r/frame-2.png |
        od -An -tx1 | tr -d ' \n')" "$(listing "$files")"
rm -rf "$cafe" "$dir"

# Standard output is no file, and a pipe behind it is none either.
run "/dev/stdout into a file" 1 --render /dev/stdout
said "/dev/stdout into a file" "cannot write the picture to '/dev/stdout': Filename refers to the standard output, which takes no picture: give a file" "$work/err"
expect_equal "/dev/stdout into a file: the file" 0 "$(stat -c %s "$work/out")"
timeout 120 "$kelvane" --render /dev/stdout 2>"$work/err" </dev/null | cat >/dev/null
expect_equal "/dev/stdout into a pipe: status" 1 "${PIPESTATUS[0]}"
said "/dev/stdout into a pipe" "cannot write the picture to '/dev/stdout': Filename refers to a pipe, not a file" "$work/err"

# Polls, for two minutes at most, until the command succeeds or the program $pid has ended.
while_running() {
    for _ in $(seq 1200); do
        "$@" && return
        kill -0 "$pid" 2>/dev/null || return
        sleep 0.1
    done
}

# A signal during the frames ends the run with 128 + its number and takes back every frame,
# and the folder the run made. SIGINT is ignored in a script's background job unless reset.
for signal in TERM INT; do
    env --default-signal=INT "$kelvane" --frames "$files/fr" --size 800x800 2>"$work/err" &
    pid=$!
    while_running test -e "$files/fr/frame-003.png"
    kill "-$signal" "$pid"
    wait "$pid"
    status=$?
    expect_equal "SIG$signal during the frames: status" $((128 + $(kill -l "$signal"))) "$status"
    said "SIG$signal during the frames" "stopped by SIG$signal: the frames this run wrote are removed." "$work/err"
    expect_equal "SIG$signal during the frames: left" "" "$(ls -A "$files")"
done

# A run of minutes says so before it starts, and can still be stopped at once.
"$kelvane" --frames "$files/fr" --size 6000x6000 2>"$work/err" &
pid=$!
while_running test -s "$work/err"
kill -TERM "$pid"
wait "$pid"
expect_equal "a long run: status" 143 "$?"
grep -q "^kelvane: writing 2990 pictures of 6000 × 6000 pixels takes about .*; Ctrl+C stops the run and keeps nothing of it\.$" \
    "$work/err" && ok "a long run says so first" || fail "a long run: $(cat "$work/err")"
rm -rf "$files/fr"

# A picture wider than the display window's design size takes the memory of its own pixels, not
# of its width by the design height (1.45 GB here). A sanitizer reserves more address space
# than any limit would leave.
ldd "$kelvane" >"$work/libraries"
if grep -q libasan "$work/libraries"; then
    echo "not checked under the sanitizer: the memory of a wide picture"
else
    prlimit --as=$((1024 * 1024 * 1024)) "$kelvane" --size 1000000x1 --render "$files/w.png" \
        2>"$work/err"
    expect_equal "a wide picture in 1 GB of address space: status" 0 "$?"
    expect_equal "a wide picture: said" "" "$(cat "$work/err")"
fi

finish_checks "kelvane's files"
