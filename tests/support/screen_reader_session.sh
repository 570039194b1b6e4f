#!/usr/bin/env bash
# A screen reader's view of a program over the accessibility bus: a private session bus, an X
# server of its own with openbox, and the given script reading the tree there.
#
# usage: screen_reader_session.sh SCRIPT PROGRAM [ARGUMENT...]
set -euo pipefail

here=$(dirname "$0")
source "$here/../../tools/own_x_server.sh"
start_own_x_server --wm 1280x1024
command -v dbus-run-session >/dev/null || { echo "missing dbus-run-session: run tools/setup.sh" >&2; exit 1; }
# The system's own python has the distribution's bindings; another one on the path may not.
python=python3
"$python" -c 'import pyatspi' 2>/dev/null || python=/usr/bin/python3
"$python" -c 'import pyatspi' 2>/dev/null ||
    { echo "missing python3-pyatspi: run tools/setup.sh" >&2; exit 1; }
dbus-run-session -- "$python" "$@"
