#!/usr/bin/env python3
"""A screen reader on Tessaly's window during a run, over the accessibility bus: the whole tree
read within a bound while the recursion goes on, the window repainted as the cycles count up, and
"Cancel" pressed through the bus ending the run. Runs inside a private session bus and an X server
of its own (tests/support/screen_reader_session.sh).

usage: screen_reader_test.py TESSALY [SECONDS]
  SECONDS: the most a read during a run may take (1 unless given).
"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from screen_reader import (check, ended_after, failures, named, node, start_on_bus,  # noqa: E402
                           text_of, timed_read, wait_for)

program = sys.argv[1]
bound = float(sys.argv[2]) if len(sys.argv) > 2 else 1.0
here = os.path.dirname(os.path.abspath(__file__))
# Long enough a run that it is still under way after every check: it is cancelled at the end.
index, cycles = "40", "30000"


def control_picture(window, control):
    """The control as the screen shows it, as PNG bytes."""
    rect = subprocess.run(["bash", "-c", f'source "{here}/../../tools/controls.sh" && '
                           f'control_rect tessaly "{control}"'],
                          capture_output=True, text=True, check=True).stdout.split()
    x, y, width, height = rect
    return subprocess.run(["import", "-window", window, "-crop", f"{width}x{height}+{x}+{y}",
                           "+repage", "png:-"], capture_output=True, check=True).stdout


tessaly, app, window = start_on_bus(program, "Tessaly", "Tessaly Calculator")
with ended_after(tessaly):
    idle, tree = timed_read(app)
    print(f"idle: {len(tree)} nodes read in {idle:.3f} s")

    node(app, "text", "Index").queryEditableText().setTextContents(index)
    node(app, "text", "Cycle").queryEditableText().setTextContents(cycles)
    node(app, "push button", "Start").queryAction().doAction(0)
    if not wait_for("the run starts", lambda: node(app, "push button", "Cancel") is not None):
        sys.exit(1)

    # The cycles count up on the screen while the run goes on: the window repaints.
    wait_for("a first cycle is done", lambda: text_of(app, "Cycles done") not in (None, "0"))
    first = control_picture(window, "cntT")
    wait_for("the count moves on", lambda: control_picture(window, "cntT") != first)

    reads = [timed_read(app) for _ in range(3)]
    longest = max(seconds for seconds, _ in reads)
    tree = reads[-1][1]
    print(f"during a run: {len(tree)} nodes read in at most {longest:.3f} s")
    check(f"the tree read during a run within {bound} s", longest <= bound, f"{longest:.3f} s")
    check("the run still goes on", named(tree, "Cancel") != [])

    node(app, "push button", "Cancel").queryAction().doAction(0)
    wait_for("Cancel pressed through the bus ends the run",
             lambda: node(app, "push button", "End") is not None)
    done = text_of(app, "Cycles done")
    check("the run ended before its last cycle", done is not None and int(done) < int(cycles), done)
    node(app, "push button", "End").queryAction().doAction(0)
    check("End ends the program with status 0", tessaly.wait(timeout=10) == 0)

sys.exit(1 if failures else 0)
