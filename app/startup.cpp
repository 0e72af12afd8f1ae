// The start procedure: the one place outside ui/ that builds a window.
#include "app/appmodul.h"

#include "app/appstate.h"
#include "platform/platform.h"
#include "platform/sessionend.h"
#include "ui/desktopkeys.h"
#include "ui/main/form1.h"

#include <QApplication>

std::unique_ptr<Form1> openMainWindow(AppState& state, Platform& platform) {
    applyDesktopConventions();
    const Settings settings = LoadSettings(state);
    auto form1 = std::make_unique<Form1>(state, platform);
    form1->setCaption(state.AppTitle);
    form1->Form1_Form_Load();
    form1->applySettings(settings);
    return form1;
}

int runSnapwell(int argc, char** argv, Platform& platform) {
    // Arguments are accepted and ignored.
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    // Taken before the platform was built; a platform without one is not known to be alone.
    if (!platform.instanceLock || !platform.instanceLock->tryLock()) {
        return 0;
    }
    AppState state;
    InitPaths(state, QCoreApplication::applicationFilePath());
    const std::unique_ptr<Form1> window = openMainWindow(state, platform);
    Form1& form1 = *window;
    QObject::connect(&form1, &Form1::unloaded, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    // Logging out or being terminated closes the window the normal way, so the settings
    // are written as on any close; nobody is there to answer a question.
    onSessionEnd(&form1, [&form1] { form1.endSession(); });
    form1.show();
    return QApplication::exec();
}
