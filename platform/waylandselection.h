#pragma once

#include "platform/selectionbackend.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>

// The Wayland selection through a data-control protocol, which lets a clipboard watcher see
// every change and read and clear the selection without having the keyboard focus. It speaks
// over a wl_display connection of its own, never Qt's.

// The data-control protocol a compositor offers.
enum class DataControl { None, Ext, Wlr };

struct WaylandGlobal {
    QString interface;
    quint32 version = 0;
};

// The standard protocol where offered, else the wlroots one from version 2 on (version 1
// lacks the primary selection and is not worth the special cases).
DataControl chooseDataControl(const QList<WaylandGlobal>& globals);

// What the compositor named by WAYLAND_DISPLAY offers; None when it cannot be reached within
// the budget. Asked once at start, before the toolkit chooses its platform.
DataControl probeDataControl(SelectionBackend::Budget budget);

// The toolkit platform to ask for before the application object exists, or empty to leave
// the toolkit's own choice: a platform the user set wins; in a Wayland session the native one
// where data control is offered, else XWayland where there is an X server.
QByteArray qtPlatformFor(const QByteArray& userChoice, bool waylandSession, bool xServer,
                         DataControl offered);
// Applies that choice to QT_QPA_PLATFORM, asking the compositor what it offers.
void chooseQtPlatform();

// The backend, or null where no compositor or no data-control protocol is there; protocol
// tells which one it speaks.
std::unique_ptr<SelectionBackend> openWaylandSelection(SelectionBackend::Budget budget,
                                                       DataControl* protocol = nullptr);
