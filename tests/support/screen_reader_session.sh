#!/usr/bin/env bash
# A screen reader's view of a program over the accessibility bus: an X server of its own with
# openbox, a session bus of its own, and the given script reading the tree there.
#
# usage: screen_reader_session.sh SCRIPT PROGRAM [ARGUMENT...]
set -euo pipefail

source "$(dirname "$0")/../../tools/own_x_server.sh"
start_own_x_server --wm 1280x1024
start_accessibility_bus
"$screen_reader_python" "$@"
