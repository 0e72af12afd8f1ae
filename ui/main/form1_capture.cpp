// Form1 as the capture cycle sees it: the options it reads, the panels it fills, the timers
// that drive it, and closing while pieces still wait to be written.
#include "app/appstate.h"
#include "capture/capturecycle.h"
#include "platform/logging.h"
#include "platform/messageboxes.h"
#include "platform/platform.h"
#include "platform/sessionend.h"
#include "ui/failuretexts.h"
#include "ui/main/form1.h"
#include "ui/main/quickblink.h"
#include "ui/main/widgets.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {
// Only what changed is touched: the counters step runs on every tick of an empty clipboard.
void setIfChanged(QLineEdit* edit, const QString& text) {
    if (edit->text() != text) {
        edit->setText(text);
    }
}
} // namespace

void Form1::showCounts(const CollectionCounts& counts) {
    const auto [texts, pictures, textData] = counts;
    const QString label = textData ? u"Textdaten vorhanden"_s : u"keine Textdaten vorhanden"_s;
    if (Text2->text() != QString::number(texts) || Text4->text() != QString::number(pictures) ||
        Label11->text() != label) {
        qCInfo(lcUi).noquote() << "counters:" << texts << "texts," << pictures << "pictures,"
                               << (textData ? "text data" : "no text data");
    }
    setIfChanged(Text2, QString::number(texts));
    setIfChanged(Text4, QString::number(pictures));
    Label11->setText(label);
}

bool Form1::collectOption() const {
    return Option3D1->isChecked();
}

bool Form1::singleFileOption() const {
    return Option3D2->isChecked();
}

bool Form1::separatorOption() const {
    return Check1->isChecked();
}

bool Form1::soundOption() const {
    return Option3D8->isChecked();
}

bool Form1::monitoringActive() const {
    return m_monitoring && !m_capturePaused;
}

QString Form1::describe(const StoreError& error) const {
    return ::describe(error);
}

QString Form1::describe(SnapshotFault fault) const {
    return ::describe(fault);
}

void Form1::blink(const QString& caption, quint32 bgr) {
    setCaption(caption);
    if (!m_quickBlink->show(colorFromBgr(bgr))) {
        setIndicatorColor(bgr);
    }
}

void Form1::showArea(Area area) {
    Frame3D9->hide();
    Frame3D2->setVisible(area == Area::Text);
    Frame3D1->setVisible(area == Area::Picture);
}

void Form1::showText(const QString& text) {
    Text1->setPlainText(text);
}

void Form1::appendText(const QString& text, qsizetype maxChars) {
    // The box lays out only what is added, and repaints only what of it shows: the first line
    // joins the last one, every further line is appended as a block of its own, as the box's
    // own appending does. The layout repaints the whole box for a change that ends before the
    // last line, which an empty line appended at once is: it gets a character that goes again
    // at once, each step a change of the last line alone.
    QTextDocument* doc = Text1->document();
    QScrollBar* bar = Text1->verticalScrollBar();
    const int shownFrom = bar->value();
    QString plain = text;
    plain.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n');
    const QStringList lines = plain.split(u'\n');
    QTextCursor end(doc);
    end.movePosition(QTextCursor::End);
    end.insertText(lines.first());
    for (qsizetype i = 1; i < lines.size(); ++i) {
        Text1->appendPlainText(lines[i].isEmpty() ? u" "_s : lines[i]);
        if (lines[i].isEmpty()) {
            end.movePosition(QTextCursor::End);
            end.deletePreviousChar();
        }
    }
    // The document counts one character more than it shows (the last paragraph's end).
    const int excess = doc->characterCount() - 1 - int(maxChars);
    if (excess > 0) {
        const QTextBlock first = doc->findBlock(excess);
        const int cut = first.position() == excess || !first.next().isValid() ? first.position()
                                                                              : first.next().position();
        QTextCursor front(doc);
        front.setPosition(cut, QTextCursor::KeepAnchor);
        front.removeSelectedText();
    }
    // The text in view stays where it is; the box would follow the end once it runs over.
    bar->setValue(shownFrom);
}

void Form1::showPicture(const QImage& image) {
    Anzeige1->setImage(image);
}

void Form1::setWindowShown(bool shown) {
    setVisible(shown);
}

void Form1::setSnapshotTimer(bool running) {
    if (running) {
        Timer1->start();
    } else {
        Timer1->stop();
    }
}

void Form1::setHint(const QString& text) {
    hinweis->setText(text);
}

void Form1::setCaption(const QString& caption) {
    setWindowTitle(caption);
    setAccessibleName(caption);
}

void Form1::setIndicatorColor(quint32 bgr) {
    const QColor color = colorFromBgr(bgr);
    Frame3D7->setFill(color);
    static_cast<IndicatorButton*>(Befehl1)->setBackdrop(color);
    // The widgets may hold this colour already, shown by the quick blink and not yet painted
    // through the window. The button covers its part of the panel: it is told on its own.
    Frame3D7->update();
    Befehl1->update();
}

void Form1::Zeit1_Timer() {
    m_cycle->Zeit1_Timer();
}

void Form1::Command2_Click() {
    m_cycle->Command2_Click();
}

void Form1::Timer1_Timer() {
    m_cycle->Timer1_Timer();
}

void Form1::endSession() {
    // Nobody is there to answer a question: what can be written within the time is written,
    // the settings are saved, and every event loop ends, a message box's own included (it
    // answers "No"). A second request while this runs finds the work done and only ends the
    // loops again.
    if (!std::exchange(m_sessionEnding, true) && !m_unloaded) {
        m_unloaded = true;
        m_cycle->store().finish(kEndingBudgetMs);
        // What could not be written in time is named in the log, piece by piece.
        m_cycle->store().abandon();
        Form1_Form_Unload();
        emit unloaded();
    }
    QCoreApplication::exit(0);
}

bool Form1::mayClose() {
    // Pieces copied just before closing are written first; one that cannot be written is
    // not dropped without the user's word, unless termination was asked for meanwhile.
    const qsizetype left = m_cycle->store().finish(kClosingBudgetMs, terminationRequested);
    if (left == 0 || m_sessionEnding || terminationRequested()) {
        return true;
    }
    const QString what = left == 1 ? u"Ein kopierter Inhalt konnte nicht gespeichert werden"_s
                                   : u"%1 kopierte Inhalte konnten nicht gespeichert werden"_s.arg(left);
    const QString text = u"%1 (%2).\n\nProgramm trotzdem beenden ? Das Kopierte geht dann verloren."_s.arg(
        what, ::describe(m_cycle->store().lastError()));
    // While the question is open nothing is taken (neither by the tick nor on a change of the
    // clipboard), so that the count is what "Ja" loses; "Nein" takes up what came meanwhile.
    m_capturePaused = true;
    Zeit1->stop();
    const bool quit =
        m_platform.messages->show(this, MessageBoxes::Icon::Exclamation, MessageBoxes::Buttons::YesNo, text,
                                  m_state.AppTitle) == MessageBoxes::Answer::Yes;
    m_capturePaused = false;
    if (quit) {
        m_cycle->store().abandon();
    } else if (m_monitoring && !m_unloaded) {
        Zeit1->start();
    }
    return quit;
}
