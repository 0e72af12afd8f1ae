#include "ui/manager/form5.h"

using namespace Qt::StringLiterals;

Form5::Form5(AppState& state, Platform& platform, QWidget* parent)
    : QWidget(parent), m_state(state), m_platform(platform) {
    setObjectName(u"form5"_s);
    setWindowTitle(u"gesammelte Textdaten..."_s);
}
