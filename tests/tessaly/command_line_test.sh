#!/usr/bin/env bash
# Tessaly's command line, the real program with no display at all: what it prints, its exit
# statuses, a cancel by SIGINT or SIGTERM, and the progress line on a terminal and nowhere else.
#
# usage: command_line_test.sh TESSALY
# KT_LAUNCHER, if set, runs the program (an emulator, for a program built for another processor).
set -uo pipefail

tessaly=$1
read -ra launcher <<<"${KT_LAUNCHER-}"
# An emulator runs the program many times slower: a signal waits for more of the processor's
# time, and the progress line shows with a smaller index.
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
run() { # WHAT STATUS ARGUMENTS...: the program's output in $work/out and $work/err
    local what=$1 status=$2
    shift 2
    "${launcher[@]}" "$tessaly" "$@" >"$work/out" 2>"$work/err"
    expect_equal "$what: status" "$status" "$?"
}
holds() { # WHAT CONDITION: a Python condition on the JSON document d in $work/out
    python3 -c 'import json, sys; d = json.load(open(sys.argv[1])); assert eval(sys.argv[2]), d' \
        "$work/out" "$2" && ok "$1" || fail "$1"
}

# STATUS|WHAT IT SAYS ON STANDARD OUTPUT OR ERROR|ARGUMENTS. How options are read, and the
# words of every refusal, are the C++ suites'; here is one of each kind of ending.
while IFS='|' read -r status text arguments; do
    read -ra argv <<<"$arguments"
    run "$arguments" "$status" "${argv[@]}"
    said "$arguments" "$text" "$work/out" "$work/err"
done <<'ROWS'
0|Fibonacci number of index 20: 6765 (10945 counted calls a cycle)|--index 20 --cycles 3
2|--index: 'abc' is not a number.|--index abc
1|tessaly: The Fibonacci number of index 93 is larger than this calculator can hold (64 bits); the largest index it can compute is 92.|--index 93
1|too large to read as a number|--index 1e999
0|index  result  counted calls  seconds, mean ± sd|--index 20..23 --cycles 2
ROWS

# Results that cannot be written are a failure, not a run that went well.
"${launcher[@]}" "$tessaly" --index 5 >/dev/full 2>"$work/err"
expect_equal "--index 5 >/dev/full: status" 1 "$?"
said "--index 5 >/dev/full" "tessaly: cannot write the results: No space left on device" "$work/err"

# The JSON document, parsed.
run --json 0 --index 20 --cycles 3 --json
expect_equal "--json: standard error" "" "$(cat "$work/err")"
python3 - "$work/out" <<'PY' && ok "--json: the document" || fail "--json: the document"
import json, sys
d = json.load(open(sys.argv[1]))
assert set(d) == {"format_version", "program", "version", "processor", "index", "cycles", "warmup",
                  "counted_calls_per_cycle", "result", "cycles_done", "cancelled", "seconds",
                  "statistics", "warning"}, sorted(d)
assert (d["index"], d["cycles"], d["result"], d["counted_calls_per_cycle"]) == (20, 3, 6765, 10945)
assert (d["format_version"], d["warmup"]) == (1, 0), d
assert (d["cycles_done"], d["cancelled"], d["version"]) == (3, False, "1.00")
assert isinstance(d["processor"], str) and d["processor"], d["processor"]
assert len(d["seconds"]) == 3 and all(x >= 0 for x in d["seconds"]), d["seconds"]
PY

# The warm-up's cycles run, and are left out of every figure.
run --warmup 0 --index 20 --cycles 2 --warmup 3 --json
holds "--warmup: two cycles kept of five" '(d["warmup"], d["cycles_done"], len(d["seconds"])) == (3, 2, 2)'

# Comparisons, with a saved run read back from its file: the words and the JSON of a comparison
# are the C++ suites'.
run "a run to compare with" 0 --index 24 --cycles 6 --json
cp "$work/out" "$work/a.json"
sed 's/"index": 24/"index": 25/' "$work/a.json" >"$work/b.json"
run "a run against itself" 0 --saved "$work/a.json" --compare "$work/a.json"
# The digits of the ratio follow its uncertainty: 1.00 ± 0.01, or 1.000 ± 0.004 for tight cycles.
said "a run against itself" "$work/a.json is 1.00" "$work/out"
said "a run against itself" "no significant difference: Welch's t-test gives p = 1 (t = 0 with 10 degrees of freedom), not below 0.05" "$work/out"
run "a saved run into a table" 0 --saved "$work/a.json" --export-csv "$work/saved.csv"
expect_equal "a saved run into a table: a row a cycle" 7 "$(wc -l <"$work/saved.csv")"
run "a run compared, as JSON" 0 --index 24 --cycles 3 --compare "$work/a.json" --json
holds "a run compared, as JSON" '((d["cycles_done"], d["baseline"]["cycles_done"]) == (3, 6)
    and d["baseline"]["file"].endswith("/a.json") and 0 <= d["comparison"]["p"] <= 1)'

# Baselines refused before anything runs: status 2 and one line that says why.
printf '{"program": "Tessaly", "format_version": 1, "index": 24, "seconds": [0.1, 0.' >"$work/cut.json"
while IFS='|' read -r text arguments; do
    read -ra argv <<<"${arguments//WORK/$work}"
    run "$arguments" 2 "${argv[@]}"
    expect_equal "$arguments: standard output" "" "$(cat "$work/out")"
    expect_equal "$arguments: lines on standard error" 1 "$(wc -l <"$work/err")"
    said "$arguments" "${text//WORK/$work}" "$work/err"
done <<'ROWS'
tessaly: 'WORK/a.json' times index 24, not 25: only runs of one index compare.|--index 25 --compare WORK/a.json
tessaly: 'WORK/a.json' times index 24, not 25: only runs of one index compare.|--saved WORK/b.json --compare WORK/a.json
tessaly: cannot read 'WORK/none.json': there is no such file.|--index 24 --compare WORK/none.json
tessaly: 'WORK' is not a regular file: a saved run is one.|--index 24 --compare WORK
tessaly: 'WORK/cut.json' is cut short|--saved WORK/cut.json
ROWS

# A scan's files: the plot a PNG of its stated size, the tables a row per index. A name that
# cannot take its file is refused before the run; a write that fails is said after the figures.
run "a scan into files" 0 --index 20..23 --cycles 2 --plot "$work/scan.png" \
    --export-csv "$work/scan.csv" --export-markdown "$work/scan.md"
expect_equal "a scan into files: standard error" "" "$(cat "$work/err")"
python3 - "$work" <<'PY' && ok "a scan's files" || fail "a scan's files"
import struct, sys
work = sys.argv[1]
png = open(f"{work}/scan.png", "rb").read()
assert png[:8] == b"\x89PNG\r\n\x1a\n" and png[12:16] == b"IHDR", png[:16]
assert struct.unpack(">II", png[16:24]) == (800, 500), png[16:24]
csv = open(f"{work}/scan.csv", "rb").read().split(b"\r\n")
assert csv[-1] == b"" and [line.split(b",")[0] for line in csv[:-1]] == [
    b"index", b"20", b"21", b"22", b"23"], csv
md = open(f"{work}/scan.md", encoding="utf-8").read().splitlines()
assert len(md) == 6 and md[1].startswith("| ---: |") and md[5].startswith("| 23 | 28657 |"), md
PY
run "--export-csv FOLDER" 1 --index 5 --export-csv "$work"
said "--export-csv FOLDER" "cannot write the CSV table to '$work': " "$work/err"
expect_equal "--export-csv FOLDER: no run" "" "$(cat "$work/out")"
run "--export-markdown into no folder" 1 --index 5 --export-markdown "$work/none/a.md"
said "--export-markdown into no folder" "cannot write the Markdown table to '$work/none/a.md': " "$work/err"
said "--export-markdown into no folder: the figures all the same" "Fibonacci number of index 5: 5" "$work/out"

# A signal while a cycle of index 45 runs: the status of the signal, and what finished. A cycle of
# index 45 takes seconds, so "0 of 2 cycles" shows that the recursion itself heard the signal, with
# no clock to read. A signal after some cycles have finished is the full pipe's, below.
set -m
interrupt() { # SIGNAL ARGUMENTS...
    local signal=$1 tries
    shift
    "${launcher[@]}" "$tessaly" "$@" >"$work/out" 2>"$work/err" &
    local pid=$!
    # Sent once the program has had 0.3 s of the processor, far more than its start takes: the
    # signal lands inside the first cycle, however busy the machine is with other work.
    local ticks=$(($(getconf CLK_TCK) * 3 * pace / 10))
    for ((tries = 0; tries < 6000; tries++)); do
        [ "$(awk '{ print $14 + $15 }' "/proc/$pid/stat" 2>/dev/null || echo 0)" -lt "$ticks" ] ||
            break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.01
    done
    kill "-$signal" "$pid"
    wait "$pid"
    status=$?
}
interrupt INT --index 45 --cycles 2
expect_equal "SIGINT at index 45: status" 130 "$status"
expect_equal "SIGINT at index 45: output" "cancelled after 0 of 2 cycles
no cycle finished: no result" "$(cat "$work/out")"
interrupt TERM --index 45 --json
expect_equal "SIGTERM at index 45: status" 143 "$status"
holds "SIGTERM: the document says so" '(d["cancelled"], d["cycles_done"], d["result"], d["statistics"]) == (True, 0, None, None)'

# Ctrl+C in a scan that would never end, once four indices are done: their rows, the fit of
# them, and a table of them.
"${launcher[@]}" "$tessaly" --index 30..60 --export-csv "$work/cut.csv" >"$work/out" 2>"$work/err" &
pid=$!
for ((tries = 0; tries < 6000; tries++)); do
    grep -qE '^ +33 ' "$work/out" && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.01
done
kill -INT "$pid"
wait "$pid"
expect_equal "SIGINT in a scan: status" 130 "$?"
done_rows=$(grep -cE '^ +[0-9]+ +[0-9]+ +[0-9]+ ' "$work/out")
[ "$done_rows" -ge 4 ] && ok "SIGINT in a scan: $done_rows rows" || fail "SIGINT in a scan: $done_rows rows"
said "SIGINT in a scan" "cancelled after $done_rows of 31 indices" "$work/out"
said "SIGINT in a scan" "growth per index step: " "$work/out"
expect_equal "SIGINT in a scan: the table's rows" "$((done_rows + 1))" "$(wc -l <"$work/cut.csv")"
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
# The summary is six lines, and a warning where the cycles scatter.
done = len(lines) - 6 - lines[-1].startswith("warning: ")
assert done > 0, lines
for number, line in enumerate(lines[:done], 1):
    assert re.fullmatch(rf"cycle {number} of 1000000: \S+ s", line), (number, line)
assert lines[done:done + 2] == [f"cancelled after {done} of 1000000 cycles",
                                "Fibonacci number of index 0: 0 (0 counted calls a cycle)"], lines[done:]
assert lines[done + 2].startswith(f"seconds per cycle, mean ± standard deviation of {done} "), lines[done + 2]
assert lines[done + 3].startswith("seconds per cycle, min and max: "), lines[done + 3]
assert lines[done + 4].startswith("seconds per cycle, median: "), lines[done + 4]
assert lines[done + 5] == "cost per counted call: none, a cycle of this index makes no counted call", lines[done + 5]
PY
        fail "SIG$signal into a full pipe"
    fi
done

# The progress line: on a terminal's standard error, never into a pipe or a file, nor when asked
# not to. What the terminal shows of it, and that it is cleared, is progress_terminal_test.sh's.
if command -v script >/dev/null; then
    script -qec "${KT_LAUNCHER-} $tessaly --index $progress_index --cycles 2" /dev/null >"$work/terminal"
    grep -qF $'\rcycle 1 of 2, ' "$work/terminal" && ok "progress on a terminal" ||
        fail "no progress line on a terminal"
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
