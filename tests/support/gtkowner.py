#!/usr/bin/env python3
# A GTK 3 program's clipboard, as any GTK program offers it:
#   gtkowner.py text TEXT   the text
#   gtkowner.py picture     a 40 x 30 picture: its left half fully transparent, its right
#                           half opaque red
# Says "ready" once it owns the clipboard; runs until it is ended.
import sys

import gi

gi.require_version("Gtk", "3.0")
from gi.repository import Gdk, GdkPixbuf, GLib, Gtk  # noqa: E402

clipboard = Gtk.Clipboard.get(Gdk.SELECTION_CLIPBOARD)
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
