# A GTK 3 entry for the input method's test: prints its text and its pre-edit at each change.
import sys

import gi

gi.require_version("Gtk", "3.0")
from gi.repository import Gtk  # noqa: E402

window = Gtk.Window(title=sys.argv[1])
entry = Gtk.Entry()
entry.connect("changed", lambda e: print("TEXT:" + e.get_text(), flush=True))
entry.connect("preedit-changed", lambda e, text: print("PREEDIT:" + text, flush=True))
window.add(entry)
window.connect("destroy", Gtk.main_quit)
window.show_all()
Gtk.main()
