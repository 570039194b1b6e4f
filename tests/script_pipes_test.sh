#!/usr/bin/env bash
# The repository's shell scripts feed no pipeline into a reader that stops before the end of its
# input (grep -q, grep -m, head, sed's q, awk's exit, read). The writer then meets a closed pipe
# and may die of SIGPIPE, which pipefail takes for the pipeline's failure, now and then, as the
# two processes happen to run: a test that passes here and fails on the next machine. Such text
# is read whole instead, into a variable or through a reader that reads to the end.
#
# usage: script_pipes_test.sh SOURCE_DIR
set -euo pipefail

source_dir=$1
source "$(dirname "$0")/checks.sh"

# early_readers: the lines of standard input (a script) that pipe into such a reader, as
# "LINE: TEXT", a pipe at the end of a line joined with the next one.
early_readers() {
    awk '
        function report(text) {
            if (text ~ /(^|[^|])\|[[:space:]]*(\{[[:space:]]*)?(head|read|IFS=[^ ]* read)([[:space:]]|$)/ ||
                text ~ /(^|[^|])\|[[:space:]]*grep[[:space:]]([^|]*[[:space:]])?-([a-zA-Z]*[qmlL]|-quiet|-silent|-max-count|-files-with)/ ||
                text ~ /(^|[^|])\|[[:space:]]*sed[[:space:]][^|]*([0-9$\/;'"'"'{[:space:]]q|^q)([[:space:];}'"'"']|$)/ ||
                text ~ /(^|[^|])\|[[:space:]]*awk[[:space:]][^|]*[^a-z_]exit([^a-z_]|$)/)
                print start ": " text
        }
        {
            line = $0
            sub(/^[[:space:]]*#.*/, "", line)
            if (pending != "") { text = pending " " line } else { text = line; start = NR }
            if (text ~ /[^|]\|[[:space:]]*$/) { pending = text; next }
            pending = ""
            report(text)
        }
        END { if (pending != "") report(pending) }'
}

# The finder itself, on lines of both kinds ("\n" between the lines of one case).
while IFS='@' read -r expected script; do
    found=$(printf '%b\n' "$script" | early_readers)
    [ -n "$found" ] && got=found || got=clean
    expect_equal "finder on: $script" "$expected" "$got"
done <<'CASES'
found@! ldd "$program" | grep -q libasan
found@x=$(xdotool search --name x | head -n 1)
found@xprop -root | grep -qF 'window id' && return 0
found@ps | grep --quiet x
found@cmd | grep -m 1 x
found@cmd | grep -l x
found@cmd | sed 1q
found@cmd | sed -n '/x/{p;q}'
found@cmd | awk '/x/ { print; exit }'
found@cmd | read -r first
found@cmd | { read -r first; }
found@cmd |\n    head -n 1
clean@cmd | grep -v x || true
clean@cmd | grep -c x
clean@cmd | sed -n 1p
clean@cmd | awk '{ n++ } END { print n }'
clean@usage: kelvane|tessaly [options]
clean@[ -n "$a" ] || head -n 1 file
clean@# cmd | grep -q x
clean@grep -q x file && cmd
CASES

scripts=()
while IFS= read -r -d '' script; do
    scripts+=("$script")
done < <(find "$source_dir" \( -name 'build*' -o -name '.git' \) -prune -o -type f \
    \( -name '*.sh' -o -path "$source_dir/.ci/*" \) -print0)
[ "${#scripts[@]}" -gt 10 ] || fail "only ${#scripts[@]} scripts found under $source_dir"
for script in "${scripts[@]}"; do
    # This one holds the finder's examples.
    [ "$(basename "$script")" != "$(basename "$0")" ] || continue
    found=$(early_readers <"$script")
    [ -z "$found" ] || fail "${script#"$source_dir"/} pipes into a reader that stops early:"$'\n'"$found"
done
finish_checks "${#scripts[@]} scripts"
