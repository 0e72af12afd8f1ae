#include "platform/logging.h"
#include "platform/platform.h"
#include "platform/pulsesound.h"
#include "platform/selectionclipboard.h"
#include "platform/systemclipboard.h"
#include "platform/systemdesktop.h"
#include "platform/waylandselection.h"
#include "platform/x11selection.h"

#include <QGuiApplication>

using namespace Qt::StringLiterals;

namespace {

// The clipboard through a reader of our own where the desktop is known, else through Qt.
// Where a Wayland and an X11 clipboard both exist, clearing empties both. Says once which way
// the clipboard is watched.
std::unique_ptr<Clipboard> makeClipboard(bool& watchesInBackground) {
    const bool waylandSession = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    watchesInBackground = true;
    if (QGuiApplication::platformName() == "xcb"_L1) {
        // Under a Wayland compositor, XWayland hands every Wayland copy to its X programs,
        // whichever window has the focus.
        if (auto x11 = X11Selection::open(nullptr, true, waylandSession)) {
            qCInfo(lcReader).noquote()
                << "clipboard watched through"
                << (waylandSession ? "XWayland (X11 under a Wayland compositor)" : "X11");
            return std::make_unique<SelectionClipboard>(std::move(x11));
        }
    }
    if (QGuiApplication::platformName() == "wayland"_L1) {
        DataControl protocol = DataControl::None;
        if (auto wayland = openWaylandSelection(ClipboardReader::kBudget, &protocol)) {
            qCInfo(lcReader).noquote()
                << "clipboard watched through native Wayland with data control"
                << (protocol == DataControl::Ext ? "(ext_data_control_v1)" : "(zwlr_data_control_v1)");
            // The X11 clipboard of XWayland programs is emptied beside it, where there is one.
            std::unique_ptr<SelectionBackend> x11;
            if (!qEnvironmentVariableIsEmpty("DISPLAY")) {
                x11 = X11Selection::open(nullptr, false);
            }
            qCInfo(lcReader).noquote()
                << (x11 ? "the X11 clipboard on" : "no X11 clipboard to empty beside it")
                << (x11 ? qgetenv("DISPLAY") + " is emptied beside it" : QByteArray());
            return std::make_unique<SelectionClipboard>(std::move(wayland), std::move(x11));
        }
    }
    // Only a native Wayland program is limited to the focus; through XWayland Qt hears of
    // every change as any X program does.
    watchesInBackground = !(waylandSession && QGuiApplication::platformName() == "wayland"_L1);
    qCInfo(lcReader).noquote() << "clipboard watched through the toolkit on"
                               << QGuiApplication::platformName()
                               << (watchesInBackground ? ""
                                                       : "(native Wayland without data control: only while "
                                                         "the window has the focus)");
    return std::make_unique<SystemClipboard>();
}

} // namespace

Platform makeSystemPlatform() {
    Platform p;
    p.clipboard = makeClipboard(p.watchesInBackground);
    p.sound = std::make_unique<PulseSound>();
    p.desktop = std::make_unique<SystemDesktop>();
    qCInfo(lcReader).noquote() << "snapshots through"
                               << (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ? "the X11 root window"
                                                                                  : "the desktop portal");
    return p;
}
