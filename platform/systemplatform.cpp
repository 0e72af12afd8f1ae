#include "platform/lockfileinstancelock.h"
#include "platform/platform.h"
#include "platform/pulsesound.h"
#include "platform/selectionclipboard.h"
#include "platform/systemclipboard.h"
#include "platform/systemdesktop.h"
#include "platform/systemmessageboxes.h"
#include "platform/x11selection.h"

#include <QGuiApplication>

using namespace Qt::StringLiterals;

namespace {

// The clipboard through a reader of our own where the desktop is known, else through Qt.
std::unique_ptr<Clipboard> makeClipboard() {
    if (QGuiApplication::platformName() == "xcb"_L1) {
        if (auto x11 = X11Selection::open()) {
            return std::make_unique<SelectionClipboard>(std::move(x11));
        }
    }
    return std::make_unique<SystemClipboard>();
}

} // namespace

Platform makeSystemPlatform() {
    Platform p;
    p.clipboard = makeClipboard();
    p.messages = std::make_unique<SystemMessageBoxes>();
    p.sound = std::make_unique<PulseSound>();
    p.desktop = std::make_unique<SystemDesktop>();
    p.instanceLock = std::make_unique<LockFileInstanceLock>(u"snapwell"_s);
    return p;
}
