#include "platform/lockfileinstancelock.h"
#include "platform/platform.h"
#include "platform/pulsesound.h"
#include "platform/systemclipboard.h"
#include "platform/systemdesktop.h"
#include "platform/systemmessageboxes.h"
#include "platform/waylandselection.h"

#include <QGuiApplication>

using namespace Qt::StringLiterals;

Platform makeSystemPlatform() {
    Platform p;
    p.clipboard = std::make_unique<SystemClipboard>();
    p.messages = std::make_unique<SystemMessageBoxes>();
    p.sound = std::make_unique<PulseSound>();
    p.desktop = std::make_unique<SystemDesktop>();
    p.instanceLock = std::make_unique<LockFileInstanceLock>(u"snapwell"_s);
    p.watchesInBackground = qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
                            (QGuiApplication::platformName() == "wayland"_L1 &&
                             probeDataControl(std::chrono::seconds(2)) != DataControl::None);
    return p;
}
