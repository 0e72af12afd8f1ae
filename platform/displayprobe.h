#pragma once

#include <QByteArray>
#include <QList>

// Whether a window system answers, asked before the toolkit starts: the toolkit aborts the
// process when its platform finds no display, where the program should say why and end.
struct DisplayProbe {
    // The display variables that are set ("DISPLAY=:1"), whether they answer or not.
    QList<QByteArray> tried;
    bool reachable = false;
};

// Reachable where the user chose the toolkit's platform (QT_QPA_PLATFORM: the toolkit's own
// matter), or where the compositor named by WAYLAND_DISPLAY or the X server named by DISPLAY
// accepts a connection.
DisplayProbe probeDisplay();
