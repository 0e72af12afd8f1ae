// Form1: the menu commands and the saved-data buttons, and the windows they open.
#include "app/appstate.h"
#include "app/commands.h"
#include "capture/capturecycle.h"
#include "platform/platform.h"
#include "ui/chooser/browser.h"
#include "ui/main/form1.h"
#include "ui/main/separatordialog.h"
#include "ui/main/widgets.h"
#include "ui/manager/form5.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
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

Form5* Form1::form5() const {
    return m_form5;
}

Browser* Form1::browser() const {
    return m_browser;
}

SeparatorDialog* Form1::separatorDialog() const {
    return m_separator;
}

void Form1::mnuTrenn_Click() {
    // The main window is disabled while the dialog is open, so there is never a second one;
    // a call from elsewhere brings the open one forward.
    if (m_separator && m_separator->isVisible()) {
        m_separator->raise();
        m_separator->activateWindow();
        return;
    }
    m_separator = new SeparatorDialog(m_state, m_platform);
    connect(m_separator, &SeparatorDialog::left, this, &Form1::SeparatorDialog_Left);
    SeparatorDialog& dialog = *m_separator;
    keepAbove(dialog, *this);
    dialog.show();
    dialog.activateWindow();
    // The dialog's own field shows every line, the one of 99 colons too.
    dialog.Text1->setText(m_state.Trennzeichen);
    dialog.Text1->selectAll();
    dialog.Text1->setFocus(Qt::OtherFocusReason);
    setEnabled(false);
}

void Form1::SeparatorDialog_Left() {
    setEnabled(true);
}

void Form1::mnuSammel_Click() {
    if (!m_browser) {
        m_browser = new Browser(m_state, m_platform);
        connect(m_browser, &Browser::pathChosen, this, &Form1::Browser_PathChosen);
        connect(m_browser, &Browser::left, this, &Form1::Browser_Left);
        keepAbove(*m_browser, *this);
    }
    Browser& chooser = *m_browser;
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

void Form1::Browser_PathChosen() {
    setCollectionPath(m_state.SavePath);
    showCounters();
}

void Form1::Browser_Left() {
    setEnabled(true);
    // Discarded on closing: the next opening makes a new one.
    m_browser = nullptr;
}

void Form1::Befehl4_Click() {
    if (Text2->text() == u"0"_s && !FileExists(m_state.SavePath + kCollectionFileName) &&
        !FileExists(m_state.SavePath + kBackupFileName)) {
        m_platform.messages->show(
            this, MessageBoxes::Icon::Information, MessageBoxes::Buttons::Ok,
            u"Im aktuellen Sammel-Verzeichnis wurden noch keine Textdaten gespeichert !   "_s,
            m_state.AppTitle);
        return;
    }
    setCaption(m_state.AppTitle);
    hide();
    // Monitoring goes on meanwhile; captures land in the files the manager shows.
    if (!m_form5) {
        m_form5 = new Form5(m_state, m_platform, m_cycle->store());
        connect(m_form5, &Form5::left, this, &Form1::form5_Left);
    }
    Form5& form5 = *m_form5;
    form5.show();
    if (QFileInfo(m_state.SavePath + kCollectionFileName).isFile()) {
        // Choosing the entry shows the file, as a choice by the user does.
        Form5::selectEntry(form5.Liste1, kCollectionFileName);
        form5.Befehl2->setEnabled(false);
    }
}

void Form1::form5_Left() {
    refreshFileLists();
    showCounters();
    // The next "Textdaten" makes a new window instead of reusing this one on its way out.
    m_form5 = nullptr;
    show();
    focusSink();
}

void Form1::Befehl3_Click() {
    MessageBoxes& box = *m_platform.messages;
    const auto info = [&](const QString& text) {
        box.show(this, MessageBoxes::Icon::Information, MessageBoxes::Buttons::Ok, text, m_state.AppTitle);
    };
    if (Text4->text() == u"0"_s) {
        info(u"Im aktuellen Sammel-Verzeichnis wurden noch keine Bilddaten gespeichert !   "_s);
        return;
    }
    if (monitoring()) {
        info(u"Die Zwischenablage wird jetzt nicht mehr überwacht !   "_s);
        Befehl1->setEnabled(true);
        m_monitoring = false;
        m_platform.clipboard->setWatching(false);
        Zeit1->stop();
        Command2->setEnabled(false);
        Frame3D9->show();
        Frame3D2->hide();
        Frame3D1->hide();
        setCaption(m_state.AppTitle);
        Befehl1->setText(u"S T A R T"_s);
        setIndicatorColor(192);
        Option3D3->setEnabled(true);
    }
    info(u"Funktion noch nicht eingebaut   "_s);
}
