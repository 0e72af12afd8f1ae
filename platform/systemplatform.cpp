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
// In a Wayland session only data control shows the clipboard to a program in the background.
std::unique_ptr<Clipboard> makeClipboard(bool& watchesInBackground) {
    watchesInBackground = qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (QGuiApplication::platformName() == "xcb"_L1) {
        if (auto x11 = X11Selection::open()) {
            return std::make_unique<SelectionClipboard>(std::move(x11));
        }
    }
    if (QGuiApplication::platformName() == "wayland"_L1) {
        if (auto wayland = openWaylandSelection(ClipboardReader::kBudget)) {
            watchesInBackground = true;
            return std::make_unique<SelectionClipboard>(std::move(wayland));
        }
    }
    return std::make_unique<SystemClipboard>();
}

} // namespace

Platform makeSystemPlatform() {
    Platform p;
    p.clipboard = makeClipboard(p.watchesInBackground);
    p.sound = std::make_unique<PulseSound>();
    p.desktop = std::make_unique<SystemDesktop>();
    return p;
}
