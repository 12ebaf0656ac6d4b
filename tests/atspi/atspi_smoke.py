#!/usr/bin/python3
"""Reads the desktop program's window through AT-SPI, as a screen reader (Orca) does.

Usage: atspi_smoke.py PROGRAM

Runs itself again under `dbus-run-session` on an Xvfb screen of 1366 x 768 at 150 %, starts
PROGRAM (from a copy in a temporary folder, so that its Settings.ini stays there) with Qt's
accessibility bridge on, and checks what a screen reader finds: the window's name, the status
panels' texts, the tabs and controls the window hides, a button's Press action and the events
that tell its result. Exits 77 (skipped) only when AT-SPI cannot start here.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77
TITLE = "4x4 HDMI Matrix Controller - ver1.0"
SCREEN = "1366x768x24"


def skip(reason):
    print("SKIP: " + reason)
    sys.exit(SKIP)


def under_display():
    """Runs this script again on an X screen and in a session bus of its own."""
    for tool in ("Xvfb", "dbus-run-session"):
        if not shutil.which(tool):
            skip(tool + " is not installed (scripts/install-deps.sh atspi)")
    env = dict(os.environ, MATRIX_ATSPI_INSIDE="1")
    screen = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support",
                          "with-xvfb.sh")
    command = [screen, SCREEN, "dbus-run-session", "--", sys.executable] + sys.argv
    return subprocess.call(command, env=env)


if os.environ.get("MATRIX_ATSPI_INSIDE") != "1":
    sys.exit(under_display())

try:
    import pyatspi
    from gi.repository import GLib
except ImportError as error:
    skip("python3-pyatspi is not installed: %s" % error)

results = []


def check(condition, what):
    print(("ok    " if condition else "FAIL  ") + what)
    results.append(bool(condition))


def states(node):
    return node.getState()


def showing(node):
    return states(node).contains(pyatspi.STATE_SHOWING)


def walk(node):
    yield node
    for index in range(node.childCount):
        child = node.getChildAtIndex(index)
        if child is not None:
            yield from walk(child)


def text_of(node):
    try:
        text = node.queryText()
    except NotImplementedError:
        return None
    return text.getText(0, text.characterCount)


def actions_of(node):
    try:
        action = node.queryAction()
    except NotImplementedError:
        return []
    return [action.getName(i) for i in range(action.nActions)]


def spin(seconds):
    """Runs the event loop that delivers AT-SPI events for a while."""
    loop = GLib.MainLoop()
    GLib.timeout_add(int(seconds * 1000), loop.quit)
    loop.run()


def find_application(name, seconds, child):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline and child.poll() is None:
        desktop = pyatspi.Registry.getDesktop(0)
        for index in range(desktop.childCount):
            app = desktop.getChildAtIndex(index)
            if app is not None and app.name == name:
                return app
        time.sleep(0.2)
    return None


# A loopback address of the test's own where nothing listens.
NOBODY = "127.0.0.93"


def main():
    program = os.path.abspath(sys.argv[1])
    folder = tempfile.mkdtemp(prefix="atspi-smoke-")
    copy = os.path.join(folder, os.path.basename(program))
    shutil.copy2(program, copy)
    # TCP control mode towards a loopback address where nothing listens: pressing Connect
    # fails at once, and no serial port of this machine is touched.
    device = "[Nobody]-[Static IP]-[%s]-[00-1A-2B-3C-4D-5E]-[Same Subnet]" % NOBODY
    with open(os.path.join(folder, "Settings.ini"), "w", encoding="utf-8") as settings:
        settings.write("[Control mode]\r\nMode=1\r\n\r\n[TCP control device]\r\nName=%s\r\n"
                       "\r\n[TCP control device list]\r\nDevice No.1=%s\r\n" % (device, device))
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb",
               QT_SCALE_FACTOR="1.5")
    child = subprocess.Popen([copy], env=env, cwd=folder)
    try:
        app = find_application("hdmi-matrix-controller", 30, child)
        if app is None:
            if child.poll() is not None:
                check(False, "the program ended with %d before it was on the AT-SPI bus"
                      % child.returncode)
                return
            skip("the program did not appear on the AT-SPI bus within 30 s")
        run(app)
    finally:
        child.terminate()
        child.wait(10)
        shutil.rmtree(folder, ignore_errors=True)


def run(app):
    frames = [node for node in walk(app) if node.getRole() == pyatspi.ROLE_FRAME]
    check(any(frame.name == TITLE for frame in frames),
          "the window is named by its title: %s" % [frame.name for frame in frames])
    frame = next(frame for frame in frames if frame.name == TITLE)
    extents = frame.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    print("      window %dx%d at %d,%d on a %s screen at 150 %%"
          % (extents.width, extents.height, extents.x, extents.y, SCREEN))
    # The screen has 1366 / 1.5 x 768 / 1.5 points.
    check(extents.x >= 0 and extents.y >= 0 and extents.x + extents.width <= round(1366 / 1.5)
          and extents.y + extents.height <= 512, "the window lies on the screen")

    nodes = list(walk(frame))
    by_description = {node.description: node for node in nodes if node.description}
    by_name = {}
    for node in nodes:
        by_name.setdefault(node.name, node)

    connection = by_description.get("Connection state")
    check(connection is not None and connection.name == "Disconnect"
          and text_of(connection) == "Disconnect",
          "the connection panel reads \"Disconnect\"")

    tabs = [node for node in nodes if node.getRole() == pyatspi.ROLE_PAGE_TAB]
    shown_tabs = [tab.name for tab in tabs if showing(tab)]
    print("      tabs showing: %s" % shown_tabs)
    advanced = [tab for tab in tabs if tab.name == "Advanced"]
    check(len(advanced) == 1 and not showing(advanced[0]) and not actions_of(advanced[0]),
          "the hidden \"Advanced\" tab is not showing and has no action")
    for name in ("Search network devices", "Configure network device", "Delete network device",
                 "Network control device"):
        node = by_name.get(name)
        check(node is not None and not showing(node) and not actions_of(node),
              "the hidden \"%s\" is not showing and has no action" % name)

    connect = by_name.get("Connect")
    check(connect is not None and showing(connect) and actions_of(connect) == ["Press", "SetFocus"],
          "\"Connect\" is showing with its Press action: %s"
          % (actions_of(connect) if connect else None))

    operation = by_description.get("Operation status")
    hint = by_description.get("Hints")
    told = []

    def listen(event):
        if event.source in (operation, hint, connection):
            told.append((event.type, event.source.description, event.source.name))

    pyatspi.Registry.registerEventListener(listen, "object:property-change:accessible-name",
                                           "object:text-changed")
    connect.queryAction().doAction(0)
    spin(4)  # the failure blinks for 2.1 s
    pyatspi.Registry.deregisterEventListener(listen, "object:property-change:accessible-name",
                                             "object:text-changed")
    print("      after Press: connection \"%s\", operation \"%s\", hint \"%s\""
          % (text_of(connection), text_of(operation), text_of(hint)))
    check(text_of(operation) == "Connect %s failed" % NOBODY,
          "the operation panel reads the failed connect")
    check(bool(text_of(hint)), "the hint panel keeps the system's reason")
    check(any(kind.startswith("object:property-change:accessible-name")
              and who == "Operation status" for kind, who, _ in told),
          "the operation panel told its change: %d events" % len(told))

    field = by_name.get("Tag of Input1")
    check(field is not None and not states(field).contains(pyatspi.STATE_EDITABLE)
          and states(field).contains(pyatspi.STATE_READ_ONLY),
          "a tag field is read-only: %s" % (field.getState().getStates() if field else None))

    print("%d passed, %d failed" % (results.count(True), results.count(False)))


if __name__ == "__main__":
    if len(sys.argv) != 2:
        print(__doc__)
        sys.exit(2)
    main()
    sys.exit(0 if results and all(results) else 1)
