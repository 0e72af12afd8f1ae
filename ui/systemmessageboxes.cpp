#include "ui/systemmessageboxes.h"

#include "platform/logging.h"
#include "platform/sessionend.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// The box wraps every text wider than a fixed few hundred pixels, though most of ours are
// one sentence written for one line: the label showing the text is given the width its lines
// need, as long as that leaves the box well inside the screen; longer texts wrap as before.
void keepLinesWhole(QMessageBox& box, const QString& text) {
    box.ensurePolished();
    const QScreen* screen = box.screen();
    const int room = std::min(screen ? screen->availableGeometry().width() - 200 : 600, 700);
    for (QLabel* label : box.findChildren<QLabel*>()) {
        if (label->text() != text) {
            continue;
        }
        const bool wrapping = label->wordWrap();
        label->setWordWrap(false);
        const int oneLine = label->sizeHint().width();
        label->setWordWrap(wrapping);
        if (oneLine <= room) {
            label->setMinimumWidth(oneLine);
        }
    }
}

} // namespace

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
    keepLinesWhole(box, text);
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
