"""What the screen reader tests share: finding a program on the accessibility bus, reading its
whole tree as a screen reader walks it, and reporting checks."""
import time

import pyatspi

failures = []


def check(what, ok, detail=""):
    print(("ok: " if ok else "FAIL: ") + what + (f" ({detail})" if detail else ""))
    if not ok:
        failures.append(what)


def find_application(name, seconds=20):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == name:
                return app
        time.sleep(0.2)
    return None


def read_tree(node, depth=0, into=None):
    """Every node's role, name, description and text, as a screen reader walks them."""
    into = [] if into is None else into
    text = ""
    try:
        t = node.queryText()
        text = t.getText(0, t.characterCount)
    except NotImplementedError:
        pass
    into.append((depth, node.getRoleName(), node.name, node.description, text))
    for child in node:
        if child is not None:
            read_tree(child, depth + 1, into)
    return into


def timed_read(app):
    start = time.monotonic()
    tree = read_tree(app)
    return time.monotonic() - start, tree


def named(tree, name):
    return [row for row in tree if row[2] == name]
