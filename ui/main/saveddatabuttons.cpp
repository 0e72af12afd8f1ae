// The buttons that lead to the stored data: "Textdaten" and "Bilddaten".
#include "app/appstate.h"
#include "app/commands.h"
#include "platform/platform.h"
#include "ui/main/form1.h"
#include "ui/main/widgets.h"
#include "ui/manager/form5.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

void Form1::Befehl4_Click() {
    if (Text2->text() == u"0"_s && !FileExists(m_state.SavePath + u"clipbrd.dat"_s) &&
        !FileExists(m_state.SavePath + u"backup.dat"_s)) {
        m_platform.messages->show(
            this, MessageBoxes::Icon::Information, MessageBoxes::Buttons::Ok,
            u"Im aktuellen Sammel-Verzeichnis wurden noch keine Textdaten gespeichert !   "_s,
            m_state.AppTitle);
        return;
    }
    setWindowTitle(m_state.AppTitle);
    hide();
    // Monitoring goes on meanwhile; captures land in the files the manager shows.
    if (!m_state.form5) {
        m_state.form5 = new Form5(m_state, m_platform);
    }
    Form5* form5 = m_state.form5;
    form5->show();
    if (QFileInfo(m_state.SavePath + u"clipbrd.dat"_s).isFile()) {
        // Choosing the entry shows the file, as a choice by the user does.
        Form5::selectEntry(form5->Liste1, u"clipbrd.dat"_s);
        form5->Befehl2->setEnabled(false);
    }
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
        Zeit1->stop();
        Command2->setEnabled(false);
        Frame3D9->show();
        Frame3D2->hide();
        Frame3D1->hide();
        setWindowTitle(m_state.AppTitle);
        Befehl1->setText(u"S T A R T"_s);
        setIndicatorColor(192);
        Option3D3->setEnabled(true);
    }
    info(u"Funktion noch nicht eingebaut   "_s);
}
