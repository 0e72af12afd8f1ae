#include "ui/desktopkeys.h"

#include "platform/logging.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QPushButton>
#include <QTranslator>

using namespace Qt::StringLiterals;

namespace {

// Return and Enter press a focused command button, as Space does, in plain windows as well
// as in dialogs.
class ReturnPressesButton final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
            (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
            return false;
        }
        auto* button = qobject_cast<QPushButton*>(watched);
        if (!button || !button->isEnabled() || !button->isVisible()) {
            return false;
        }
        button->click();
        return true;
    }
};

} // namespace

void applyDesktopConventions() {
    static bool applied = false;
    if (applied || !qApp) {
        return;
    }
    applied = true;
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* qt = new QTranslator(qApp);
    if (qt->load(u"qtbase_de"_s, dir)) {
        QCoreApplication::installTranslator(qt);
    } else {
        qCWarning(lcUi) << "Qt's German texts not found in" << dir << "- standard texts stay English";
        delete qt;
    }
    qApp->installEventFilter(new ReturnPressesButton(qApp));
}
