#include "ui/chooser/browser.h"

using namespace Qt::StringLiterals;

Browser::Browser(AppState& state, Platform& platform, QWidget* parent)
    : QWidget(parent), m_state(state), m_platform(platform) {
    setObjectName(u"Browser"_s);
    setWindowTitle(u"Sammel-Verzeichnis auswählen:"_s);
}
