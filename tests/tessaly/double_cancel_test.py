#!/usr/bin/env python3
"""Tessaly on a desktop with a window manager: a double click on "Cancel", and Enter pressed twice
on it, cancel the run and leave the program running, idle; "End" clicked later ends it with
status 0. The clicks are a real pointer's, twice within the double-click interval that a program
reads from this desktop. Runs inside a private session bus and an X server of its own
(tests/support/screen_reader_session.sh).

usage: double_cancel_test.py TESSALY DOUBLE_CLICK_INTERVAL_PROGRAM
"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from screen_reader import (check, click, ended_after, failures, node, read_tree,  # noqa: E402
                           start_on_bus, wait_for)

program, interval_program = sys.argv[1:3]
interval = int(subprocess.run([interval_program], capture_output=True, text=True,
                              check=True).stdout)
within = str(interval // 2)
print(f"double-click interval {interval} ms: the second press follows after {within} ms")

tessaly, app, window = start_on_bus(program, "Tessaly", "Tessaly Calculator")


def button(caption):
    return node(app, "push button", caption)


def start_run():
    """Index 42, five cycles: several seconds of work, started with a click on "Start", which
    keeps the focus. Returns once the second button reads "Cancel"."""
    node(app, "text", "Index").queryEditableText().setTextContents("42")
    node(app, "text", "Cycle").queryEditableText().setTextContents("5")
    click(button("Start"))
    if not wait_for("the run starts", lambda: button("Cancel") is not None):
        sys.exit(1)


def expect_idle(after):
    """The run cancelled, the button back at "End", and the program still there once it has
    answered a screen reader: every press sent before has reached it by then."""
    wait_for(f'"End" after {after}', lambda: button("End") is not None)
    read_tree(app)
    running = tessaly.poll() is None
    check(f"running after {after}", running)
    if not running:
        sys.exit(1)


with ended_after(tessaly):
    start_run()
    click(button("Cancel"), "--repeat", "2", "--delay", within)
    expect_idle("a double click on Cancel")

    # The focus moves from "Start", clicked, to the second button.
    start_run()
    subprocess.run(["xdotool", "key", "--window", window, "Tab", "Return", "sleep",
                    str(interval / 2000), "key", "--window", window, "Return"], check=True)
    expect_idle("Enter twice on Cancel")

    click(button("End"))
    check("End ends the program with status 0", tessaly.wait(timeout=10) == 0)

sys.exit(1 if failures else 0)
