// The menu bar's commands.
#include "app/appstate.h"
#include "ui/chooser/browser.h"
#include "ui/main/form1.h"
#include "ui/main/separatordialog.h"

#include <QApplication>
#include <QLineEdit>
#include <QWindow>

using namespace Qt::StringLiterals;

namespace {

// The secondary windows are not children of the main window, or disabling it would disable
// them too; the window system still keeps them above it.
void keepAbove(QWidget& window, QWidget& owner) {
    window.winId();
    owner.winId();
    window.windowHandle()->setTransientParent(owner.windowHandle());
}

} // namespace

void Form1::mnuTrenn_Click() {
    // The main window is disabled while the dialog is open, so there is never a second one;
    // a call from elsewhere brings the open one forward.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* open = qobject_cast<SeparatorDialog*>(w); open && open->isVisible()) {
            open->raise();
            open->activateWindow();
            return;
        }
    }
    auto* dialog = new SeparatorDialog(m_state, m_platform);
    keepAbove(*dialog, *this);
    dialog->show();
    dialog->activateWindow();
    // The dialog's own field shows every line, the one of 99 colons too.
    dialog->Text1->setText(m_state.Trennzeichen);
    dialog->Text1->selectAll();
    dialog->Text1->setFocus(Qt::OtherFocusReason);
    setEnabled(false);
}

void Form1::mnuSammel_Click() {
    if (!m_state.browser) {
        m_state.browser = new Browser(m_state, m_platform);
        keepAbove(*m_state.browser, *this);
    }
    Browser& chooser = *m_state.browser;
    chooser.show();
    chooser.activateWindow();
    // Each of these fires the chooser's change handlers, which fill its path box.
    chooser.Drive1->setDrive(m_state.SavePath);
    chooser.Dir1->setPath(m_state.SavePath);
    chooser.File1->setPath(m_state.SavePath);
    // A collection directory that has gone away still stands in the box (the lists show the
    // nearest place above it), so that "Übernehmen" offers to create it again.
    chooser.Text2->setText(m_state.SavePath);
    setEnabled(false);
}
