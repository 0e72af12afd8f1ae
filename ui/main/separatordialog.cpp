#include "ui/main/separatordialog.h"

#include "app/appstate.h"
#include "app/commands.h"
#include "platform/platform.h"
#include "storage/inifile.h"
#include "ui/uistyle.h"
#include "ui/windowhelpers.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

// The profile keeps at most this many characters of a value.
constexpr int kMaxLine = 2047;

} // namespace

bool hasLineBreak(const QString& line) {
    for (const QChar c : line) {
        if (c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f' || c == QChar(0x85) ||
            c == QChar::LineSeparator || c == QChar::ParagraphSeparator) {
            return true;
        }
    }
    return false;
}

void SetSeparatorLine(AppState& state, const QString& line) {
    state.Trennzeichen = line;
    state.TrennBlock = u"\r\n"_s + line + u"\r\n"_s;
}

SeparatorDialog::SeparatorDialog(AppState& state, Platform& platform, QWidget* parent)
    : QWidget(parent), m_state(state), m_platform(platform) {
    setObjectName(u"SeparatorDialog"_s);
    setWindowTitle(u"Trennlinie definieren"_s);
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(sansFont(8.25, false));
    setWindowColor(this, kGrey);
    setFixedSize(tw(5055), tw(1515));

    Label1 = control<QLabel>(this, u"Label1", 120, 120, 4815, 255,
                             u"Linie zwischen den gesammelten Texten in CLIPBRD.DAT:"_s);

    Text1 = control<QLineEdit>(this, u"Text1", 120, 420, 4815, 315);
    Text1->setMaxLength(kMaxLine);
    setColors(Text1, kNavy, Qt::white);

    Command1 = control<QPushButton>(this, u"Command1", 2640, 960, 2295, 375, u"OK"_s);
    Command1->setFont(sansFont(9.75, true));

    Command2 = control<QPushButton>(this, u"Command2", 120, 960, 2295, 375, u"Abbrechen"_s);

    setTabOrder(Text1, Command1);
    setTabOrder(Command1, Command2);
    connect(Text1, &QLineEdit::returnPressed, this, &SeparatorDialog::Command1_Click);
    connect(Command1, &QPushButton::clicked, this, &SeparatorDialog::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &SeparatorDialog::Command2_Click);
    CenterForm(*this);
}

void SeparatorDialog::warn(const QString& text) {
    m_platform.messages->show(this, MessageBoxes::Icon::Exclamation, MessageBoxes::Buttons::Ok, text,
                              m_state.AppTitle);
}

void SeparatorDialog::Command1_Click() {
    if (hasLineBreak(Text1->text())) {
        warn(u"Die Trennlinie darf nur aus einer einzigen Zeile bestehen !   "_s);
        return;
    }
    // Blanks around the line would not survive the profile, and an empty line reads back as
    // the default line: what is used now must be what the next start reads.
    const QString line = trimBlanks(Text1->text());
    if (line.isEmpty()) {
        warn(u"Bitte gib eine Trennlinie ein !"_s);
        return;
    }
    SetSeparatorLine(m_state, line);
    close();
}

void SeparatorDialog::Command2_Click() {
    close();
}

void SeparatorDialog::Form_Unload() {
    emit left();
}

void SeparatorDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        Command2_Click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SeparatorDialog::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}
