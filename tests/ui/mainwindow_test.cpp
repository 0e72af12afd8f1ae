#include "app/appmodul.h"
#include "app/commands.h"
#include "tests/support/fixture.h"
#include "tests/support/uievents.h"
#include "ui/main/separatordialog.h"
#include "ui/systemmessageboxes.h"
#include "ui/windowhelpers.h"

#include <QMessageBox>
#include <QTimer>

namespace {

using MainWindowTest = AppFixture;

// The darkest grey level among a control's pixels, in its first columns or all of them.
int darkest(QWidget* w, int columns = 0) {
    const QImage image = w->grab().toImage();
    int least = 255;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < (columns ? columns : image.width()); ++x) {
            least = std::min(least, qGray(image.pixel(x, y)));
        }
    }
    return least;
}

TEST_F(MainWindowTest, StartWithoutProfileUsesDefaultsAndCloseWritesThem) {
    start();
    EXPECT_TRUE(QFileInfo(files()).isDir());
    // The other options' defaults reach the profile written below.
    EXPECT_TRUE(m_form1->Check1->isEnabled());
    EXPECT_TRUE(m_form1->Option3D1->isChecked());
    expectStopped();
    EXPECT_EQ(m_form1->Label11->text(), u"keine Textdaten vorhanden"_s);
    EXPECT_EQ(m_form1->hinweis->textFormat(), Qt::PlainText);
    EXPECT_FALSE(QFile::exists(profile()));

    // Closing ends the other windows without their own handling: the typed line is not taken.
    m_form1->show();
    m_form1->Option3D2_Click();
    m_form1->mnuTrenn_Click();
    QPointer<SeparatorDialog> dialog = m_form1->separatorDialog();
    ASSERT_TRUE(dialog);
    dialog->Text1->setText(u"nicht übernommen"_s);
    m_form1->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(dialog);
    EXPECT_EQ(m_state.Trennzeichen, QString(49, u'~'));
    EXPECT_EQ(readFile(profile()), "[Pelloran Snapwell]\r\nTextSammeln=0\r\nTrennlinie=1\r\nSignale=1\r\n"
                                   "Minimieren=0\r\nTrennzeichen=" +
                                       QByteArray(49, '~') + "\r\nSavePath=" + files().toUtf8() + "\r\n");
}

TEST_F(MainWindowTest, ProfileValuesAreReadLenientlyAndCountersCountBeyondSixteenBits) {
    const QString other = m_dir.path() + u"/neu/sammel/"_s;
    writeFile(profile(),
              "[PELLORAN SNAPWELL]\r\nSIGNALE=ja\r\nminimieren=ja\r\nTrennlinie=1\r\nTextSammeln=0\r\n"
              "Trennzeichen=   -- * --   \r\nSavePath=" +
                  other.chopped(1).toUtf8() + "\r\n");
    QDir().mkpath(other + u"dir.txt"_s); // directories are not files
    for (const auto& name : {u"a.txt", u"b.txt", u"c.TXT", u"a.bmp", u"b.bmp", u"a.wmf", u"1.dib", u"2.dib",
                             u"3.dib", u"4.dib", u"backup.dat", u".hidden.txt"}) {
        writeFile(other + QString::fromUtf16(name), "x");
    }
    for (int i = 0; i < 32770; ++i) {
        writeFile(other + QString::number(i) + u".bmp"_s, {});
    }
    start();
    EXPECT_TRUE(m_form1->Option3D8->isChecked());
    EXPECT_FALSE(m_form1->Option3D3->isChecked());
    EXPECT_TRUE(m_form1->Option3D2->isChecked());
    EXPECT_TRUE(m_form1->Check1->isChecked());
    EXPECT_FALSE(m_form1->Check1->isEnabled());
    EXPECT_EQ(m_state.Trennzeichen, u"-- * --"_s);
    EXPECT_EQ(m_state.SavePath, other);
    EXPECT_EQ(m_form1->Text2->text(), u"3"_s);
    EXPECT_EQ(m_form1->Text4->text(), u"32773"_s);
    EXPECT_EQ(m_form1->Label11->text(), u"Textdaten vorhanden"_s);
}

TEST_F(MainWindowTest, OptionInterlockLookHintsAndColourZones) {
    start();
    m_form1->show();
    // An unticked box has a visible border; navy captions.
    EXPECT_LT(darkest(m_form1->Option3D3, 14), 0x90);
    EXPECT_LT(darkest(m_form1->Check1), 0x40);
    m_form1->Option3D2->click();
    EXPECT_FALSE(m_form1->Option3D1->isChecked());
    EXPECT_FALSE(m_form1->Check1->isEnabled());
    EXPECT_TRUE(m_form1->Check1->isChecked());
    EXPECT_LT(darkest(m_form1->Option3D1, 14), 0x90);
    // Disabled, caption and tick are grey, as on a disabled push button.
    EXPECT_GT(darkest(m_form1->Check1), 0x80);
    EXPECT_GT(darkest(m_form1->Command2), 0x80);
    m_form1->Option3D1->click();
    EXPECT_TRUE(m_form1->Check1->isEnabled());
    EXPECT_TRUE(m_form1->Check1->isChecked());

    moveOver(m_form1->Befehl1);
    EXPECT_EQ(hint(), u"Zwischenablage überwachen (Text- und Bilddaten werden gesammelt)"_s);
    moveOver(m_form1->Option3D3);
    EXPECT_EQ(hint(), u"Macht nach einem Klick auf  [ S T A R T ]  Platz auf dem Desktop"_s);
    // A counter, the captured-text panel and a label without a hint change nothing.
    moveOver(m_form1->Text2);
    moveOver(m_form1->Label1);
    EXPECT_EQ(hint(), u"Macht nach einem Klick auf  [ S T A R T ]  Platz auf dem Desktop"_s);
    moveOver(m_form1->Bezeichnung6);
    EXPECT_EQ(hint(), u"PELLORAN Freeware-Downloads im Internet besuchen"_s);
    EXPECT_EQ(m_form1->Bezeichnung6->palette().color(QPalette::WindowText), QColor(0, 0, 0xFF));
    // The bare margin of a panel clears it and resets the contact labels.
    moveOver(m_form1->Frame3D9);
    EXPECT_TRUE(hint().isEmpty());
    EXPECT_EQ(m_form1->Bezeichnung6->palette().color(QPalette::WindowText), QColor(0, 0, 0x80));
    // The screenshot button is disabled while monitoring is off: its panel has the mouse.
    moveOver(m_form1->Befehl4);
    moveOver(m_form1->Command2);
    EXPECT_TRUE(hint().isEmpty());

    m_form1->Befehl1_Click();
    moveOver(m_form1->Befehl1);
    EXPECT_EQ(hint(), u"Überwachen der Zwischenablage beenden"_s);
    moveOver(m_form1->Command2);
    EXPECT_EQ(hint(), u"Schnappschuss des gesamtem Bildschirminhaltes erstellen"_s);

    // Colour zones pick the indicator pair; the bare window goes back to red and black.
    click(m_form1->Label9);
    EXPECT_EQ(m_state.BlinkColor1, 16711680u);
    EXPECT_EQ(m_state.BlinkColor2, 65535u);
    clickOn(m_form1->centralWidget(), {200, 345});
    EXPECT_EQ(m_state.BlinkColor1, 255u);
    EXPECT_EQ(m_state.BlinkColor2, 0u);

    // The web label hands the full address to the desktop; the e-mail label does nothing.
    click(m_form1->Bezeichnung5);
    EXPECT_TRUE(m_fake->desktop.opened.isEmpty());
    click(m_form1->Bezeichnung6);
    ASSERT_EQ(m_fake->desktop.opened.size(), 1);
    EXPECT_TRUE(m_fake->desktop.opened[0].startsWith(u"https://"_s));
    EXPECT_TRUE(m_fake->desktop.opened[0].contains(m_form1->Bezeichnung6->text()));
}

TEST_F(MainWindowTest, BilddatenStopsMonitoringFirstAndSaysItIsNotBuiltIn) {
    start();
    m_form1->show();
    startMonitoring();
    const auto clickBilddaten = [&] {
        m_form1->Befehl3->setFocus();
        m_form1->Befehl3->click();
        EXPECT_EQ(m_form1->focusWidget(), m_form1->Command1);
    };
    clickBilddaten(); // no pictures: monitoring goes on
    EXPECT_TRUE(m_form1->monitoring());

    // Pictures while monitoring runs: said while it still runs, then stopped, then the box.
    writeFile(files() + u"1.bmp"_s, "BM");
    m_form1->refreshFileLists();
    m_form1->showCounters();
    m_form1->Frame3D2->show();
    bool runningWhileSaid = false;
    m_fake->messages.whileShown = [&] { runningWhileSaid = m_form1->Zeit1->isActive(); };
    clickBilddaten();
    EXPECT_TRUE(runningWhileSaid);
    expectStopped();

    clickBilddaten(); // monitoring off: only the last box
    QStringList texts;
    for (const auto& m : m_fake->messages.shown) {
        EXPECT_TRUE(m.icon == MessageBoxes::Icon::Information && m.buttons == MessageBoxes::Buttons::Ok &&
                    m.title == m_state.AppTitle);
        texts << m.text;
    }
    const QString notBuilt = u"Funktion noch nicht eingebaut   "_s;
    EXPECT_EQ(texts, (QStringList{
                         u"Im aktuellen Sammel-Verzeichnis wurden noch keine Bilddaten gespeichert !   "_s,
                         u"Die Zwischenablage wird jetzt nicht mehr überwacht !   "_s, notBuilt, notBuilt}));
}

TEST_F(MainWindowTest, MessagesAreShownAsTypedAndWindowsAreCentredOnTheScreen) {
    // The real box, answered as soon as it is open: the label with the text, as shown.
    const auto show = [](const QString& text) {
        struct {
            Qt::TextFormat format = Qt::AutoText;
            bool oneLine = false;
        } seen;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_TRUE(box);
            for (const QLabel* label : box->findChildren<QLabel*>()) {
                if (label->text() == text) {
                    seen.format = label->textFormat();
                    const QFontMetrics metrics(label->font());
                    seen.oneLine =
                        label->contentsRect().width() >= metrics.horizontalAdvance(text.trimmed()) &&
                        (!label->wordWrap() ||
                         label->heightForWidth(label->width()) < 2 * metrics.lineSpacing());
                }
            }
            box->buttons().first()->click();
        });
        SystemMessageBoxes().show(nullptr, MessageBoxes::Icon::Information, MessageBoxes::Buttons::Ok, text,
                                  u"t"_s);
        return seen;
    };
    EXPECT_EQ(show(u"<B>.txt"_s).format, Qt::PlainText);
    // A sentence is shown on one line; a text wider than the screen allows wraps.
    const struct {
        QString text;
        bool oneLine;
    } lines[] = {
        {u"Im aktuellen Sammel-Verzeichnis wurden noch keine Textdaten gespeichert !   "_s, true},
        {u"Im aktuellen Sammel-Verzeichnis wurden noch keine Bilddaten gespeichert !   "_s, true},
        {u"Die Zwischenablage wird jetzt nicht mehr überwacht !   "_s, true},
        {QString(40, u'x') + QString(u" Wort"_s).repeated(60), false},
    };
    for (const auto& line : lines) {
        EXPECT_EQ(show(line.text).oneLine, line.oneLine) << line.text.toStdString();
    }

    // A window is centred a little above the middle, and kept on the screen.
    QWidget half;
    const QRect screen = half.screen()->geometry();
    half.setFixedSize(screen.width() / 2, screen.height() / 2);
    CenterForm(half);
    EXPECT_NEAR(half.y(), screen.height() * 0.175, 2);
    EXPECT_NEAR(half.x(), screen.width() / 4, 2);
    QWidget tall;
    tall.setFixedSize(100, screen.height());
    CenterForm(tall);
    EXPECT_EQ(tall.y(), 0);
}

} // namespace
