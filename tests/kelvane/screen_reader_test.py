#!/usr/bin/env python3
"""What a screen reader reads of Kelvane's windows over the accessibility bus, idle and during a
run, and how long reading the whole tree takes. Runs inside a private session bus and an X server
of its own (tests/support/screen_reader_session.sh).

usage: screen_reader_test.py KELVANE [SECONDS]
  SECONDS: the most a read during a run may take (5 unless given).
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from screen_reader import (check, click, ended_after, failures, named, node,  # noqa: E402
                           start_on_bus, text_of, timed_read, wait_for)

program = sys.argv[1]
bound = float(sys.argv[2]) if len(sys.argv) > 2 else 5.0

kelvane, app, control = start_on_bus(program, "Kelvane", "Control")
with ended_after(kelvane):
    idle, tree = timed_read(app)
    print(f"idle: {len(tree)} nodes read in {idle:.3f} s")

    # "Simulate", then a read while the run is under way.
    click(node(app, "push button", "Simulate"))
    wait_for("the age counts up", lambda: text_of(app, "Age") not in (None, "0", " 0"))
    during, tree = timed_read(app)
    print(f"during a run: {len(tree)} nodes read in {during:.3f} s")
    check(f"the tree read during a run within {bound} s", during <= bound, f"{during:.3f} s")

    for title in ("Control", "Display"):
        roles = [row[1] for row in named(tree, title) if row[0] == 1]
        check(f'window "{title}" is a frame', roles == ["frame"], roles)
    for box, value in (("Random", "Yes"), ("Dynamic", "Yes")):
        rows = [row for row in named(tree, box) if row[1] == "text"]
        description = rows[0][3] if rows else ""
        check(f"{box} says its value and how it flips",
              description.startswith(value + ".") and "Enter" in description, description)
    swatch = named(tree, "Colour of age step 7")
    check("the legend swatches say what they are", len(swatch) == 1)
    age = [row[4] for row in named(tree, "Age") if row[1] == "text"]
    check("the age is read while the run goes on", age != [" 0"] and age != ["0"], age)

sys.exit(1 if failures else 0)
