#include "ui/systemmessageboxes.h"

#include "platform/logging.h"
#include "platform/sessionend.h"

#include <QMessageBox>
#include <QPushButton>

using namespace Qt::StringLiterals;

MessageBoxes::Answer SystemMessageBoxes::show(QWidget* parent, Icon icon, Buttons buttons,
                                              const QString& text, const QString& title) {
    // What the user was told is what the log is asked about first.
    qCInfo(lcUi).noquote() << "message box" << title << "|" << QString(text).replace(u'\n', u' ');
    // The program is ending: nobody is there to answer, and a box would hold it up.
    if (terminationRequested()) {
        return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    }
    QMessageBox box(parent);
    box.setWindowTitle(title);
    // Shown as typed: a file named "<B>.txt" is no markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    switch (icon) {
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Icon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    // German button captions whatever translations are installed.
    if (buttons == Buttons::YesNo) {
        QPushButton* yes = box.addButton(u"&Ja"_s, QMessageBox::YesRole);
        QPushButton* no = box.addButton(u"&Nein"_s, QMessageBox::NoRole);
        box.setDefaultButton(yes);
        box.setEscapeButton(no);
        box.exec();
        const bool yesChosen = box.clickedButton() == yes;
        qCInfo(lcUi) << "answered" << (yesChosen ? "Ja" : "Nein");
        return yesChosen ? Answer::Yes : Answer::No;
    }
    QPushButton* ok = box.addButton(u"OK"_s, QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    return Answer::Ok;
}
