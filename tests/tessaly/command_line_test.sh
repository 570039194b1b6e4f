#!/usr/bin/env bash
# Tessaly's command line, the real program with no display at all: what it prints, its exit
# statuses, a cancel by SIGINT or SIGTERM, and the progress line on a terminal and nowhere else.
#
# usage: command_line_test.sh TESSALY
# KT_LAUNCHER, if set, runs the program (an emulator, for a program built for another processor).
set -uo pipefail

tessaly=$1
read -ra launcher <<<"${KT_LAUNCHER-}"
# An emulator runs the program many times slower: a signal waits longer, and the progress line
# shows with a smaller index.
pace=1 progress_index=42
[ ${#launcher[@]} -eq 0 ] || pace=10 progress_index=38
# A program that reached for the window system would fail at once here.
unset DISPLAY WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

source "$(dirname "${BASH_SOURCE[0]}")/../checks.sh"
said() { # WHAT TEXT FILE...
    if grep -qF -- "$2" "${@:3}"; then ok "$1 says '$2'"; else
        fail "$1 does not say '$2':"
        cat "${@:3}" >&2
    fi
}

# STATUS|WHAT IT SAYS ON STANDARD OUTPUT OR ERROR|ARGUMENTS. How options are read, and the
# words of every usage error, are the command-line suites'; here is what the real program does.
while IFS='|' read -r status text arguments; do
    read -ra argv <<<"$arguments"
    "${launcher[@]}" "$tessaly" "${argv[@]}" >"$work/out" 2>"$work/err"
    expect_equal "$arguments: status" "$status" "$?"
    said "$arguments" "$text" "$work/out" "$work/err"
done <<'ROWS'
0|Fibonacci number of index 20: 6765 (10945 counted calls a cycle)|--index 20 --cycles 3
0|cycle 3 of 3: |--index 20 --cycles 3
0|seconds per cycle, mean ± standard deviation of 3 cycles: |--index 20 --cycles 3
0|Fibonacci number of index 2.5: 3 (2 counted calls a cycle)|--index=2.5
0|Fibonacci number of index -5: 1 (0 counted calls a cycle)|--index -5
2|--index: 'abc' is not a number.|--index abc
2|--index: '4e' is not a number.|--index 4e
2|--cycles: the number of cycles is a whole number from 1 to 1000000, not '-3'.|--index 5 --cycles -3
2|give --index NUMBER|--cycles 3
1|tessaly: The Fibonacci number of index 93 is larger than this calculator can hold (64 bits); the largest index it can compute is 92.|--index 93
1|too large to read as a number|--index 1e999
ROWS

# Results that cannot be written are a failure, not a run that went well.
"${launcher[@]}" "$tessaly" --index 5 >/dev/full 2>"$work/err"
expect_equal "--index 5 >/dev/full: status" 1 "$?"
said "--index 5 >/dev/full" "tessaly: cannot write the results: No space left on device" "$work/err"

# The JSON document, parsed.
"${launcher[@]}" "$tessaly" --index 20 --cycles 3 --json >"$work/json" 2>"$work/err"
expect_equal "--json: status" 0 "$?"
expect_equal "--json: standard error" "" "$(cat "$work/err")"
python3 - "$work/json" <<'PY' && ok "--json: the document" || fail "--json: the document"
import json, sys
d = json.load(open(sys.argv[1]))
assert set(d) == {"program", "version", "processor", "index", "cycles", "counted_calls_per_cycle",
                  "result", "cycles_done", "cancelled", "seconds", "statistics"}, sorted(d)
assert (d["index"], d["cycles"], d["result"], d["counted_calls_per_cycle"]) == (20, 3, 6765, 10945)
assert (d["cycles_done"], d["cancelled"], d["version"]) == (3, False, "1.00")
assert isinstance(d["processor"], str) and d["processor"], d["processor"]
assert len(d["seconds"]) == 3 and all(x >= 0 for x in d["seconds"]), d["seconds"]
PY

# A signal while a cycle of index 45 runs, and one after some cycles of index 35 have finished:
# the status of the signal, what finished, and an end well within the bound (a cycle of index 45
# takes many seconds).
set -m
interrupt() { # SIGNAL SECONDS ARGUMENTS...
    local signal=$1 delay=$2
    shift 2
    "${launcher[@]}" "$tessaly" "$@" >"$work/out" 2>"$work/err" &
    local pid=$!
    sleep "$(awk -v d="$delay" -v p="$pace" 'BEGIN { print d * p }')"
    local sent=$(date +%s%N)
    kill "-$signal" "$pid"
    wait "$pid"
    status=$?
    took=$((($(date +%s%N) - sent) / 1000000))
    [ "$took" -lt 2000 ] && ok "$signal: ended $took ms after it" ||
        fail "$signal: ended only $took ms after it"
}
interrupt INT 0.3 --index 45 --cycles 2
expect_equal "SIGINT at index 45: status" 130 "$status"
expect_equal "SIGINT at index 45: output" "cancelled after 0 of 2 cycles
no cycle finished: no result" "$(cat "$work/out")"
interrupt TERM 0.3 --index 45 --json
expect_equal "SIGTERM at index 45: status" 143 "$status"
python3 -c 'import json, sys; d = json.load(open(sys.argv[1]))
assert (d["cancelled"], d["cycles_done"], d["result"], d["statistics"]) == (True, 0, None, None)' \
    "$work/out" && ok "SIGTERM: the document says so" || fail "SIGTERM: the document"
# The count of a cycle of index 92, F(93) - 1, to the last digit: past 64 signed bits and far
# past what a double holds exactly.
interrupt TERM 0.3 --index 92 --json
python3 -c 'import json, sys; d = json.load(open(sys.argv[1]))
assert d["counted_calls_per_cycle"] == 12200160415121876737, d["counted_calls_per_cycle"]' \
    "$work/out" && ok "index 92: the exact count" || fail "index 92: the count is not exact"
interrupt INT 1 --index 35 --cycles 1000000
expect_equal "SIGINT after cycles of index 35: status" 130 "$status"
said "SIGINT after cycles of index 35" "Fibonacci number of index 35: 9227465" "$work/out"
said "SIGINT after cycles of index 35" "seconds per cycle, min and max: " "$work/out"
grep -qE '^cancelled after [1-9][0-9]* of 1000000 cycles$' "$work/out" &&
    ok "SIGINT: the cycles done are counted" || fail "SIGINT: no count of the cycles done"
set +m

# A signal while the output waits on a full pipe that nobody reads: once the pipe is read at last,
# every line is whole and none lost, the cancel's summary follows, and the status is the signal's.
for signal in INT TERM; do
    if python3 - "$tessaly" "$signal" <<'PY'; then ok "SIG$signal into a full pipe: every line, then the summary"; else
import array, fcntl, os, re, signal, subprocess, sys, termios, time

program, name = sys.argv[1], sys.argv[2]
read_end, write_end = os.pipe()
# As from a terminal: SIGINT not ignored, whatever this script's own starter did with it.
launcher = os.environ.get("KT_LAUNCHER", "").split()
child = subprocess.Popen([*launcher, program, "--index", "0", "--cycles", "1000000"],
                         stdout=write_end, stderr=subprocess.PIPE,
                         preexec_fn=lambda: signal.signal(signal.SIGINT, signal.SIG_DFL))
os.close(write_end)

def state():
    with open(f"/proc/{child.pid}/stat") as f:
        return f.read().rsplit(")", 1)[1].split()[0]

def pending():
    with open(f"/proc/{child.pid}/status") as f:
        fields = dict(line.split(":", 1) for line in f if ":" in line)
    return int(fields["SigPnd"], 16) | int(fields["ShdPnd"], 16)

def queued():
    count = array.array("i", [0])
    fcntl.ioctl(read_end, termios.FIONREAD, count)
    return count[0]

def until(what, condition):
    deadline = time.monotonic() + 30
    while not condition():
        assert child.poll() is None, f"ended before {what}"
        assert time.monotonic() < deadline, f"never {what}"
        time.sleep(0.001)

# The run itself never sleeps: asleep with output in the pipe, it waits on the full pipe.
until("waiting on the full pipe", lambda: queued() > 0 and state() == "S")
child.send_signal(getattr(signal, "SIG" + name))
until("taking the signal", lambda: pending() == 0 and state() == "S")
with os.fdopen(read_end, "rb") as pipe:
    out = pipe.read()
status = child.wait(timeout=60)
err = child.stderr.read()
assert status == 128 + getattr(signal, "SIG" + name), (status, err)
assert err == b"", err
assert out.endswith(b"\n"), out[-80:]
lines = out.decode().split("\n")[:-1]
done = len(lines) - 4
assert done > 0, lines
for number, line in enumerate(lines[:done], 1):
    assert re.fullmatch(rf"cycle {number} of 1000000: \S+ s", line), (number, line)
assert lines[done:done + 2] == [f"cancelled after {done} of 1000000 cycles",
                                "Fibonacci number of index 0: 0 (0 counted calls a cycle)"], lines[done:]
assert lines[done + 2].startswith(f"seconds per cycle, mean ± standard deviation of {done} "), lines[-2]
assert lines[done + 3].startswith("seconds per cycle, min and max: "), lines[-1]
PY
        fail "SIG$signal into a full pipe"
    fi
done

# The progress line: on a terminal's standard error, redrawn in place and cleared at the end;
# never into a pipe or a file, nor when asked not to.
if command -v script >/dev/null; then
    script -qec "${KT_LAUNCHER-} $tessaly --index $progress_index --cycles 2" /dev/null >"$work/terminal"
    grep -qF $'\rcycle 1 of 2, ' "$work/terminal" && ok "progress on a terminal" ||
        fail "no progress line on a terminal"
    grep -qF $'\r\e[J' "$work/terminal" && ok "progress cleared" || fail "progress not cleared"
    script -qec "${KT_LAUNCHER-} $tessaly --index $progress_index --cycles 2 --no-progress" /dev/null >"$work/terminal"
    grep -qF ', elapsed' "$work/terminal" && fail "progress despite --no-progress" ||
        ok "no progress with --no-progress"
else
    echo "note: no script(1), the terminal is not tried"
fi
"${launcher[@]}" "$tessaly" --index "$progress_index" --cycles 2 >"$work/out" 2>"$work/err"
expect_equal "progress into a file" "" "$(cat "$work/err")"
"${launcher[@]}" "$tessaly" --index "$progress_index" --cycles 2 2>&1 >/dev/null | cat >"$work/err"
expect_equal "progress into a pipe" "" "$(cat "$work/err")"

finish_checks "tessaly on the command line"
