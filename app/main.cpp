#include "app/appmodul.h"
#include "platform/displayprobe.h"
#include "platform/lockfileinstancelock.h"
#include "platform/platform.h"
#include "platform/waylandselection.h"
#include "ui/systemmessageboxes.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv) {
    // Alone or not at all: a second start ends before it reaches the display or the clipboard.
    std::unique_ptr<InstanceLock> lock = takeInstanceLock();
    if (!lock) {
        return 0;
    }
    // Without a display the toolkit would abort; one line tells the terminal why instead.
    if (const DisplayProbe display = probeDisplay(); !display.reachable) {
        const QByteArray why = display.tried.isEmpty()
                                   ? QByteArrayLiteral("DISPLAY oder WAYLAND_DISPLAY ist nicht gesetzt")
                                   : display.tried.join(" und ") +
                                         (display.tried.size() > 1 ? " antworten nicht" : " antwortet nicht");
        std::fprintf(stderr, "snapwell: keine grafische Anzeige gefunden (%s)\n", why.constData());
        return 1;
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
