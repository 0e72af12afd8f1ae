// The buttons that lead to the stored data: "Textdaten" and "Bilddaten".
#include "app/appstate.h"
#include "platform/platform.h"
#include "ui/main/form1.h"
#include "ui/main/widgets.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

void Form1::Befehl4_Click() {}

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
