"""What the screen reader tests share: starting a program on the accessibility bus, reading its
whole tree as a screen reader walks it, finding and clicking its controls, waiting on what it
says, and reporting checks."""
import contextlib
import os
import subprocess
import sys
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


def start_on_bus(program, name, title):
    """Starts the program with its accessibility on and waits for it on the bus and for its window
    titled title on the screen: the process, its application and the window's id. Ends the test
    when either does not come."""
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    process = subprocess.Popen([program], env=env, stderr=subprocess.DEVNULL)
    try:
        app = find_application(name)
        check(f"{name} is on the accessibility bus", app is not None)
        if app is None:
            sys.exit(1)
        window = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name",
                                 f"^{title}$"], capture_output=True, text=True,
                                timeout=20).stdout.split()[0]
    except BaseException:
        with ended_after(process):
            raise
    return process, app, window


@contextlib.contextmanager
def ended_after(process):
    """The program ended, if it still runs, when the block is done or fails."""
    try:
        yield
    finally:
        if process.poll() is None:
            process.terminate()
            process.wait(timeout=10)


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


def node(app, role, name):
    """The first node of this role and name, found the way a screen reader finds it."""
    def search(at):
        if at.getRoleName() == role and at.name == name:
            return at
        for child in at:
            found = search(child) if child is not None else None
            if found is not None:
                return found
        return None
    return search(app)


def text_of(app, name):
    rows = [row[4] for row in named(read_tree(app), name) if row[1] == "text"]
    return rows[0] if rows else None


def wait_for(what, condition, seconds=30):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if condition():
            check(what, True)
            return True
        time.sleep(0.1)
    check(what, False, f"not within {seconds} s")
    return False


def click(control, *xdotool_click):
    """A real pointer's click at the middle of the control, where the screen shows it; the
    arguments are xdotool's for the click ("--repeat", "2", "--delay", "200")."""
    box = control.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", str(box.x + box.width // 2),
                    str(box.y + box.height // 2), "click", *xdotool_click, "1"], check=True)


def main(argv):
    """For a script: `shows APPLICATION ROLE NAME` succeeds when the application shows a control
    of that role and name (a button by its caption); `text APPLICATION NAME` prints the text of
    its box of that name."""
    app = find_application(argv[1])
    if app is None:
        print(f"{argv[1]} is not on the accessibility bus", file=sys.stderr)
        return 1
    if argv[0] == "shows":
        return 0 if node(app, argv[2], argv[3]) is not None else 1
    text = text_of(app, argv[2])
    print(text if text is not None else "")
    return 0 if text is not None else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
