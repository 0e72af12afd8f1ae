#include "ui/manager/finddialog.h"

#include "ui/uistyle.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

FindDialog::FindDialog(TextBox* box, std::function<void(const QString&)> tell, QWidget* parent)
    : QDialog(parent), m_box(box), m_tell(std::move(tell)) {
    setObjectName(u"Suchen"_s);
    setWindowTitle(u"Suchen"_s);
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFont(sansFont(8.25, false));
    setModal(false);

    auto* label = new QLabel(u"Suchen nach:"_s, this);
    What = new QLineEdit(this);
    label->setBuddy(What);
    MatchCase = new QCheckBox(u"Groß-/Kleinschreibung beachten"_s, this);
    FindNext = new QPushButton(u"Weitersuchen"_s, this);
    Cancel = new QPushButton(u"Abbrechen"_s, this);
    FindNext->setDefault(true);
    FindNext->setEnabled(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(What, 0, 1);
    grid->addWidget(FindNext, 0, 2);
    grid->addWidget(MatchCase, 1, 0, 1, 2);
    grid->addWidget(Cancel, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(What, &QLineEdit::textChanged, this,
            [this](const QString& text) { FindNext->setEnabled(!text.isEmpty()); });
    connect(FindNext, &QPushButton::clicked, this, [this] { search(true); });
    connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(box, &TextBox::findAsked, this, &FindDialog::showFor);
    connect(box, &TextBox::findNextAsked, this, [this](bool forward) {
        if (What->text().isEmpty()) {
            showFor();
        } else {
            search(forward);
        }
    });
    connect(box, &TextBox::searched, this, [this](TextBox::Found found) {
        const QString line = outcome(found, m_forward, What->text());
        if (!line.isEmpty()) {
            m_tell(line);
        }
    });
}

QString FindDialog::outcome(TextBox::Found found, bool forward, const QString& what) {
    switch (found) {
    case TextBox::Found::Match:
        return {};
    case TextBox::Found::AfterWrap:
        return forward ? u"Ende des Textes erreicht, die Suche ging am Anfang weiter."_s
                       : u"Anfang des Textes erreicht, die Suche ging am Ende weiter."_s;
    case TextBox::Found::None:
        break;
    }
    return u"„"_s + what + u"“ wurde nicht gefunden."_s;
}

void FindDialog::showFor() {
    // The selected text, when it is one line, is what the user likely wants to find.
    const long selected = m_box->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONEND) -
                          m_box->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART);
    if (selected > 0 && selected <= 200) {
        const QString text = m_box->selectedText();
        if (!text.contains(u'\n') && !text.contains(u'\r')) {
            What->setText(text);
        }
    }
    show();
    raise();
    activateWindow();
    What->setFocus();
    What->selectAll();
}

void FindDialog::search(bool forward) {
    m_forward = forward;
    m_box->find(What->text(), MatchCase->isChecked(), forward);
}
