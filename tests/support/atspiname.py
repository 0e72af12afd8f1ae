# Prints the name of the first window of the application named argv[1] as an assistive tool
# sees it (its cache follows the application's events), one line each time it changes;
# runs until ended. Says "listening" first: an application started later hears of it.
import sys

import pyatspi
from gi.repository import GLib

shown = [None]


def look():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == sys.argv[1] and app.childCount > 0:
            name = app[0].name
            if name != shown[0]:
                shown[0] = name
                print(repr(name), flush=True)
    return True


# Listening makes the tool's cache follow the application's name changes.
pyatspi.Registry.registerEventListener(lambda event: None, "object:property-change:accessible-name")
print("listening", flush=True)
GLib.timeout_add(50, look)
pyatspi.Registry.start()
