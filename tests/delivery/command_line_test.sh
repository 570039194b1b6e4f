#!/usr/bin/env bash
# The built program's command line and start without a display, as a user meets them: what is
# printed where, and the exit status.
#
# usage: command_line_test.sh PROGRAM NAME   (NAME as --version prints it, e.g. Kelvane)
# KT_LAUNCHER, if set, runs the program (an emulator, for a program built for another processor).
set -uo pipefail

program=$1 name=$2
read -ra launcher <<<"${KT_LAUNCHER-}"
# An emulator starts the program and its plug-ins many times slower.
patience=10
[ ${#launcher[@]} -eq 0 ] || patience=60
base=$(basename "$program")
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/../checks.sh"

# run EXPECTED_STATUS [env settings...] -- [arguments...]
run() {
    local expected=$1
    shift
    local settings=()
    while [ "$1" != -- ]; do
        settings+=("$1")
        shift
    done
    shift
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "${settings[@]}" \
        timeout "${limit:-$patience}" "${launcher[@]}" "$program" "$@" >"$out" 2>"$err" </dev/null
    status=$?
    if [ "$status" -ne "$expected" ]; then
        fail "${settings[*]} $base $*: exit status $status, expected $expected"$'\n'"$(
            sed 's/^/  stderr: /' "$err")"
        return 1
    fi
}

# expect FILE PATTERN: the file holds a line matching the extended regular expression.
expect() {
    grep -Eq -- "$2" "$1" || fail "expected /$2/ in:"$'\n'"$(sed 's/^/  /' "$1")"
}

# expect_one_line FILE
expect_one_line() {
    [ "$(wc -l <"$1")" -eq 1 ] || fail "expected one line, got:"$'\n'"$(sed 's/^/  /' "$1")"
}

# Help and version need no display and open no window.
run 0 -- --version && { expect "$out" "^$name 1\\.00\$"; expect_one_line "$out"; }
run 0 -- --help && { expect "$out" "^Usage: $base \\[options\\]"; expect "$out" "--version"; }
run 0 -- --help-all && expect "$out" "-platform"
[ ! -s "$err" ] || fail "--help-all wrote to stderr"
# Help and version that cannot be written, to a full disk or a closed output: status 1 and one
# line that says so, as the modes do.
for option in --help --version; do
    for into in /dev/full closed; do
        if [ "$into" = closed ]; then
            "${launcher[@]}" "$program" "$option" >&- 2>"$err"
        else
            "${launcher[@]}" "$program" "$option" >"$into" 2>"$err"
        fi
        status=$?
        [ "$status" -eq 1 ] || fail "$base $option into $into: exit status $status, expected 1"
        expect_one_line "$err"
        expect "$err" "^$base: cannot write to the standard output: "
    done
done

# Usage errors: the reason and the usage on stderr, status 2.
run 2 -- --bogus &&
    { expect "$err" "^$base: Unknown option 'bogus'"; expect "$err" "^Usage: $base \\[options\\]"; }
# An argument cannot act on the terminal: its control characters are written out.
run 2 -- $'\e]0;pwned\a' && expect "$err" "^$base: Unexpected argument '\\\\e\\]0;pwned\\\\a'"
! grep -q $'[\e\a]' "$err" || fail "control characters reached stderr"
# Started with an empty name, the program goes by its own. (A launcher would get the name.)
if [ ${#launcher[@]} -eq 0 ]; then
    (exec -a '' "$program" --bogus) 2>"$err" >/dev/null
    expect "$err" "^${name,,}: Unknown option 'bogus'"
    expect "$err" "^Usage: ${name,,} \\[options\\]"
fi

# No display: one clear line and status 1, not Qt's abort.
run 1 -- && { expect_one_line "$err"; expect "$err" "^$base: no display: .*DISPLAY"; }
run 1 -- -platform xcb && { expect_one_line "$err"; expect "$err" "DISPLAY is not set"; }

# An X display nobody serves, and window systems that start but show nothing of the program: one
# line and status 1, not Qt's abort nor a program running without a window. Under the user-mode
# emulator these plug-ins spin instead of failing: that is the emulator's, not the program's,
# and left to a real machine.
if [ ${#launcher[@]} -gt 0 ]; then
    echo "note: under $KT_LAUNCHER an unserved X display, linuxfb and vkkhrdisplay are not tried"
else
    unused=
    for n in $(seq 990 999); do
        [ -e "/tmp/.X11-unix/X$n" ] || { unused=$n; break; }
    done
    run 1 DISPLAY=":$unused" -- && { expect_one_line "$err"; expect "$err" "cannot open the X display \":$unused\""; }
    if [ ! -e /dev/fb0 ]; then
        run 1 -- -platform linuxfb && { expect_one_line "$err"; expect "$err" "^$base: cannot start the window system \"linuxfb\""; }
    fi
    run 1 -- -platform vkkhrdisplay && { expect_one_line "$err"; expect "$err" "^$base: .*\"vkkhrdisplay\" cannot show"; }
fi

# Qt's own options still work: offscreen needs no display, and the program keeps running.
limit=3 run 124 -- -platform offscreen -style Fusion -reverse -nograb -dograb -name x -title x \
    -icon x -visual 0x21 -testability
limit=3 run 124 QT_QPA_PLATFORM=offscreen --
# A value Qt would ignore is refused, not dropped.
run 2 -- -platform=offscreen && expect "$err" "^$base: Option '-platform=offscreen': .* '-platform offscreen'"

finish_checks "$base command line"
