#include "app/appmodul.h"
#include "platform/lockfileinstancelock.h"
#include "platform/platform.h"
#include "platform/waylandselection.h"
#include "ui/systemmessageboxes.h"

#include <QApplication>

int main(int argc, char** argv) {
    // Alone or not at all: a second start ends before it reaches the display or the clipboard.
    std::unique_ptr<InstanceLock> lock = takeInstanceLock();
    if (!lock) {
        return 0;
    }
    chooseQtPlatform();
    // Arguments are ignored, Qt's own (-reverse, -style, -platform ...) among them.
    char name[] = "snapwell";
    int qtArgc = 1;
    char* qtArgv[] = {argc > 0 ? argv[0] : name, nullptr};
    QApplication app(qtArgc, qtArgv);
    app.setApplicationName(QStringLiteral("snapwell"));
    app.setOrganizationName(QStringLiteral("Pelloran"));
    app.setDesktopFileName(QStringLiteral("snapwell"));
    // The main window is hidden while the text manager is open; the program ends only when
    // the main window closes.
    app.setQuitOnLastWindowClosed(false);
    Platform platform = makeSystemPlatform();
    platform.instanceLock = std::move(lock);
    // Message boxes are windows: made here, beside the windows, not in the platform layer.
    platform.messages = std::make_unique<SystemMessageBoxes>();
    return runSnapwell(argc, argv, platform);
}
