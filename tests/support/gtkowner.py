#!/usr/bin/env python3
# A GTK 3 program's clipboard, as any GTK program offers it:
#   gtkowner.py text TEXT   the text
#   gtkowner.py picture     a 40 x 30 picture: its left half fully transparent, its right
#                           half opaque red
#   gtkowner.py keys PREFIX a window "Tasten" that copies PREFIX and a running number at every
#                           key press (compositors that take a selection only with fresh input)
# Says "ready" once it owns the clipboard (keys: once its window is shown); runs until ended.
import sys

import gi

gi.require_version("Gtk", "3.0")
from gi.repository import Gdk, GdkPixbuf, GLib, Gtk  # noqa: E402

clipboard = Gtk.Clipboard.get(Gdk.SELECTION_CLIPBOARD)
if sys.argv[1] == "keys":
    copied = 0

    def copy(*_):
        global copied
        copied += 1
        clipboard.set_text("%s %02d" % (sys.argv[2], copied), -1)
        return True

    window = Gtk.Window(title="Tasten")
    window.set_default_size(200, 100)
    window.connect("key-press-event", copy)
    window.connect("map-event", lambda *_: print("ready", flush=True))
    window.show_all()
    Gtk.main()
    sys.exit(0)
if sys.argv[1] == "text":
    clipboard.set_text(sys.argv[2], -1)
else:
    row = bytes(4) * 20 + bytes([255, 0, 0, 255]) * 20
    pixels = GLib.Bytes.new(row * 30)
    clipboard.set_image(
        GdkPixbuf.Pixbuf.new_from_bytes(pixels, GdkPixbuf.Colorspace.RGB, True, 8, 40, 30, 160))
clipboard.store()
print("ready", flush=True)
Gtk.main()
