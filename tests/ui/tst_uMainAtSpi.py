#!/usr/bin/python3
# Zefra's menus as a screen reader finds them: the real program on a virtual X server, read
# through the accessibility bus (AT-SPI) and driven with its keys and actions. Run by CTest under
# xvfb-run and dbus-run-session; exits 77 (skipped) without the Python bindings.
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

try:
    import gi

    gi.require_version("Atspi", "2.0")
    gi.require_version("Gdk", "3.0")
    gi.require_version("Gtk", "3.0")
    import pyatspi
    from gi.repository import Atspi, Gdk, Gtk
except (ImportError, ValueError) as error:
    print(f"SKIP: needs python3-pyatspi and GTK 3 for Python ({error})")
    sys.exit(77)

WAIT_SECONDS = 15
MAIN_WINDOW = "Advanced Romanesh to Farsi Translator"
XK_DOWN = 0xFF54


class Failure(Exception):
    pass


def wait_for(what, probe):
    """probe's first true answer, or a failure naming what never came."""
    deadline = time.monotonic() + WAIT_SECONDS
    while time.monotonic() < deadline:
        try:
            answer = probe()
        except Exception:  # the tree changes under the walk while menus open and close
            answer = None
        if answer:
            return answer
        time.sleep(0.1)
    raise Failure(f"no {what} within {WAIT_SECONDS} s")


def children(node):
    for k in range(node.childCount):
        child = node.getChildAtIndex(k)
        if child is not None:
            yield child


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def find(node, matches, depth=0):
    """The first showing node below node (itself included) that matches."""
    if matches(node):
        return node
    if depth > 20 or node.getRoleName() in ("combo box", "text"):
        return None
    for child in children(node):
        if showing(child):
            found = find(child, matches, depth + 1)
            if found:
                return found
    return None


def named(role, name, description=None):
    return lambda node: (node.getRoleName() == role and node.name == name and
                         (description is None or node.description == description))


def action_names(node):
    action = node.queryAction()
    return [action.getName(k) for k in range(action.nActions)]


def act(node, name):
    action = node.queryAction()
    action.doAction(action_names(node).index(name))


def text_of(node):
    return node.queryText().getText(0, -1)


def the_application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in children(desktop):
        if app.get_process_id() == pid and app.childCount:
            return app
    return None


def dismiss_start_up_boxes(app):
    """The welcome box of a first start and the tips window, closed as a user closes them; then
    the main window."""
    deadline = time.monotonic() + WAIT_SECONDS
    while time.monotonic() < deadline:
        tops = [top for top in children(app) if showing(top)]
        boxes = [top for top in tops if top.name != MAIN_WINDOW]
        for box in boxes:
            button = find(box, lambda node: node.getRoleName() == "push button" and
                          node.name in ("OK", "Close"))
            if button:
                act(button, "Press")
        if not boxes and tops:
            return tops[0]
        time.sleep(0.3)
    raise Failure("no main window without start-up boxes")


def open_menu(window, pane, after):
    """The popup menu of a right click just after character after, as a screen reader's
    right-click command opens it, found among the window's children."""
    box = pane.queryText().getCharacterExtents(after - 1, pyatspi.DESKTOP_COORDS)
    Atspi.generate_mouse_event(box[0] + box[2] - 1, box[1] + box[3] // 2, "b3c")
    return wait_for("dictionary menu", lambda: find(
        window, lambda node: node.getRoleName() == "popup menu" and
        find(node, named("menu item", "Dont use Dictionary"))))


def clipboard_text():
    return Gtk.Clipboard.get(Gdk.SELECTION_CLIPBOARD).wait_for_text()


def check(program):
    app = wait_for("Zefra on the accessibility bus", lambda: the_application(program.pid))
    window = dismiss_start_up_boxes(app)
    pane = find(window, named("text", "Romanesh input"))
    output = find(window, named("text", "Persian output"))
    pane.queryComponent().grabFocus()
    Atspi.generate_keyboard_event(0, "to", Atspi.KeySynthType.STRING)
    wait_for("typed word", lambda: text_of(pane) == "to" and text_of(output) == "تو")

    menu = open_menu(window, pane, 2)
    for caption in ("Dont use Dictionary", "Enter in Dictionary", "Similar Words",
                    "English Word"):
        if not find(menu, named("menu item", caption)):
            raise Failure(f"the dictionary menu has no item {caption!r}")
    act(find(menu, named("menu item", "Similar Words")), "ShowMenu")
    # Each pictured variant is read as its Romanesh and its Persian.
    variants = {"to": "تو", "too": "تو", "to`": "تع", "t`o": "طو", "t`oo": "طو", "t`o`": "طع"}
    for word, persian in variants.items():
        wait_for(f"variant {word}", lambda: find(menu, named("menu item", word, persian)))
    if not find(menu, named("menu item", "Correct and add to Dictionary(Enabled)")):
        raise Failure("the similar words have no 'Correct and add to Dictionary' item")

    # The arrow keys walk the variants after the submenu's own item, and the reader follows.
    for _ in range(3):
        Atspi.generate_keyboard_event(XK_DOWN, None, Atspi.KeySynthType.SYM)
    wait_for("focus on the second variant", lambda: find(menu, lambda node: node.getRoleName(
    ) == "menu item" and node.name == "too" and node.getState().contains(pyatspi.STATE_FOCUSED)))

    # Pressing a variant corrects the dictionary, as a click does.
    act(find(menu, named("menu item", "t`o", "طو")), "Press")
    wait_for("corrected output", lambda: text_of(output) == "طو")

    button = find(window, named("push button", "Copy all to clipboard as Ansi Text"))
    if action_names(button)[:2] != ["Press", "ShowMenu"]:
        raise Failure(f"the copy-all button's actions are {action_names(button)}")
    Gtk.Clipboard.get(Gdk.SELECTION_CLIPBOARD).set_text("", -1)
    act(button, "Press")
    wait_for("the output on the clipboard", lambda: clipboard_text() == "طو")


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: tst_uMainAtSpi.py ZEFRA")
    with tempfile.TemporaryDirectory() as home:
        # A program directory, settings and a dictionary of the test's own.
        program_path = shutil.copy(sys.argv[1], home)
        env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, "config"),
                   XDG_DATA_HOME=os.path.join(home, "data"), QT_QPA_PLATFORM="xcb",
                   QT_ACCESSIBILITY="1", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        program = subprocess.Popen([program_path], env=env)
        try:
            check(program)
        except Failure as failure:
            print(f"FAIL: {failure}")
            return 1
        finally:
            program.send_signal(signal.SIGTERM)
            try:
                program.wait(WAIT_SECONDS)
            except subprocess.TimeoutExpired:
                program.kill()
                program.wait()
    print("PASS")
    return 0


if __name__ == "__main__":
    sys.exit(main())
