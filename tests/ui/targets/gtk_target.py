# A GTK window of another application for the tests of sending the output: one entry, at the
# position given as the two arguments. Writes "ready" when shown, then "entry" and the entry's
# text, percent-encoded, whenever it changes.
import sys
import urllib.parse

import gi

gi.require_version("Gtk", "3.0")
from gi.repository import GLib, Gtk  # noqa: E402


def report(*words):
    print(*words, flush=True)


window = Gtk.Window(title="GTK target")
window.set_default_size(300, 40)
window.move(int(sys.argv[1]), int(sys.argv[2]))
entry = Gtk.Entry()
entry.connect("changed", lambda e: report("entry", urllib.parse.quote(e.get_text(), safe="")))
window.add(entry)
window.connect("destroy", Gtk.main_quit)
window.show_all()
GLib.idle_add(lambda: report("ready"))
Gtk.main()
