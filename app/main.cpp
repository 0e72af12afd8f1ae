#include "app/appmodul.h"
#include "platform/platform.h"
#include "platform/waylandselection.h"

#include <QApplication>

int main(int argc, char** argv) {
    chooseQtPlatform();
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("snapwell"));
    app.setOrganizationName(QStringLiteral("Pelloran"));
    app.setDesktopFileName(QStringLiteral("snapwell"));
    // The main window is hidden while the text manager is open; the program ends only when
    // the main window closes.
    app.setQuitOnLastWindowClosed(false);
    Platform platform = makeSystemPlatform();
    return runSnapwell(argc, argv, platform);
}
