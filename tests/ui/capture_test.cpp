#include "tests/ui/capturefixture.h"

#include "capture/soundqueue.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextDocument>
#include <QThread>
#include <QTimer>

#include <atomic>

#include <sys/stat.h>

namespace {

TEST_F(CaptureTest, CollectionFileRecordsEachPieceOnceInOrderWithAndWithoutSeparatorAlsoOnClosing) {
    // With neither option nothing is stored and the clipboard is emptied.
    m_form1->Option3D1->setAutoExclusive(false);
    m_form1->Option3D1->setChecked(false);
    copy(u"weg"_s);
    EXPECT_TRUE(m_fake->clipboard.isEmpty());
    EXPECT_TRUE(m_form1->cycle().lastClipText().isEmpty());
    // Empty text stores nothing and stays on the clipboard.
    m_form1->Option3D1->setChecked(true);
    copy(QString());
    EXPECT_TRUE(QDir(files()).entryList(QDir::Files).isEmpty());
    EXPECT_FALSE(m_fake->clipboard.isEmpty());
    EXPECT_TRUE(hint().isEmpty());
    EXPECT_TRUE(m_fake->sound.played.isEmpty());

    // The sound confirms only what is already on disk.
    QList<QByteArray> onDiskWhenPlayed;
    m_fake->sound.onPlay = [&] { onDiskWhenPlayed << dat(); };
    copy(u"abc"_s);
    ASSERT_EQ(onDiskWhenPlayed.size(), 1);
    EXPECT_TRUE(onDiskWhenPlayed[0].startsWith("abc\r\n"));
    copy(u"xyz"_s);
    EXPECT_EQ(dat(), "abc\r\n" + kTildes + "\r\n\r\nxyz\r\n" + kTildes + "\r\n\r\n");
    EXPECT_EQ(hint(), u"In Datei CLIPBRD.DAT wurde Text hinzugefügt!"_s);
    EXPECT_EQ(m_state.CapturedText, u"abc\r\n"_s + QString::fromLatin1(kTildes) + u"\r\nxyz\r\n"_s +
                                        QString::fromLatin1(kTildes) + u"\r\n"_s);
    EXPECT_TRUE(m_form1->Frame3D2->isVisibleTo(m_form1.get()));
    EXPECT_FALSE(m_form1->Frame3D9->isVisibleTo(m_form1.get()));

    // Separator off; a piece ending in CR LF keeps it; umlauts are written as UTF-8.
    m_form1->Check1->setChecked(false);
    copy(u"ä\r\n"_s);
    EXPECT_TRUE(dat().endsWith("xyz\r\n" + kTildes + "\r\n\r\n\xc3\xa4\r\n\r\n\r\n"));

    // Clipboard text stays where it is.
    EXPECT_EQ(m_fake->clipboard.currentText(), u"ä\r\n"_s);
    EXPECT_EQ(m_fake->sound.played.size(), 3);
    // The embedded tone, asked for synchronously and from memory.
    EXPECT_EQ(m_fake->sound.played[0].wave.size(), 1392);
    EXPECT_EQ(m_fake->sound.played[0].flags, 6u);

    m_form1->Option3D8->setChecked(false);
    copy(u"leise"_s);
    EXPECT_EQ(m_fake->sound.played.size(), 3);

    // Copied again, the same text as the last one taken is not stored again; A B A stores A
    // twice.
    copy(u"A"_s);
    copy(u"A"_s);
    copy(u"B"_s);
    copy(u"A"_s);
    EXPECT_TRUE(dat().endsWith("\r\nleise\r\n\r\nA\r\n\r\nB\r\n\r\nA\r\n\r\n"));

    // STOP and START empty the clipboard and the collected text, but the last piece taken
    // is remembered.
    const QByteArray before = dat();
    m_form1->Befehl1_Click();
    m_form1->Befehl1_Click();
    EXPECT_TRUE(m_state.CapturedText.isEmpty());
    copy(u"A"_s);
    EXPECT_EQ(dat(), before);
    for (int i = 0; i < 5; ++i) {
        m_fake->clipboard.setText(u"schnell %1"_s.arg(i));
        settleCapture(); // the change arrives; no tick in between
    }
    // Pieces faster than the tick are all stored, in order.
    EXPECT_EQ(dat(),
              before +
                  "schnell 0\r\n\r\nschnell 1\r\n\r\nschnell 2\r\n\r\nschnell 3\r\n\r\nschnell 4\r\n\r\n");
    // The box shows the collected text, each piece added at its end.
    QPlainTextEdit whole;
    whole.setPlainText(CaptureCycle::shownText(m_state.CapturedText, true));
    EXPECT_EQ(m_form1->Text1->toPlainText(), whole.toPlainText());
    // Piece by piece, the box looks as it does given the whole text at once: the same lines,
    // the same scroll bars, the view still at the top once the text runs over.
    m_form1->show();
    for (int i = 0; i < 30; ++i) {
        m_fake->clipboard.setText(u"Zeile %1"_s.arg(i));
        settleCapture();
    }
    QScrollBar* bar = m_form1->Text1->verticalScrollBar();
    EXPECT_EQ(bar->value(), 0);
    EXPECT_GT(bar->maximum(), 0);
    const QImage appended = m_form1->Text1->grab().toImage();
    m_form1->showText(CaptureCycle::shownText(m_state.CapturedText, true));
    EXPECT_EQ(m_form1->Text1->grab().toImage(), appended);
    // Beyond what it shows, whole lines at its beginning make room.
    m_form1->showText(u"eins\ndrei\n"_s);
    m_form1->appendText(u"vier\n"_s, 10);
    EXPECT_EQ(m_form1->Text1->toPlainText(), u"drei\nvier\n"_s);

    // Our own clearing does not start a loop of steps.
    const int clears = m_fake->clipboard.clears;
    m_fake->clipboard.clear();
    settleCapture();
    settleCapture();
    EXPECT_EQ(m_fake->clipboard.clears, clears + 1);

    // Closing writes a piece that still waits first, and asks nothing.
    ASSERT_TRUE(QDir(files()).removeRecursively());
    copy(u"zuletzt"_s);
    ASSERT_TRUE(QDir().mkpath(files()));
    EXPECT_TRUE(m_form1->close());
    EXPECT_EQ(dat(), "zuletzt\r\n\r\n");
    EXPECT_TRUE(m_fake->messages.shown.isEmpty());
}

TEST_F(CaptureTest, SingleFilesAreNumberedAndNeverOverwrittenAndTheCountersFollowTheDirectory) {
    // Other text files count towards the number.
    writeFile(files() + u"notes.txt"_s, "n");
    m_form1->refreshFileLists();
    m_form1->Option3D2_Click();
    copy(u"eins"_s);
    copy(u"zwei"_s);
    EXPECT_EQ(readFile(files() + u"01.txt"_s), "eins\r\n");
    EXPECT_EQ(readFile(files() + u"02.txt"_s), "zwei\r\n");
    EXPECT_EQ(hint(), u"Text gespeichert in der Datei: 02.TXT"_s);
    EXPECT_EQ(m_form1->Text2->text(), u"3"_s); // counted once on the disk, before any tick
    EXPECT_EQ(m_form1->Text1->toPlainText(), u"zwei"_s);
    EXPECT_FALSE(QFile::exists(files() + u"clipbrd.dat"_s));

    // With notes.txt, 01.txt and 03.txt the count is 3, 03.txt is taken, so the piece
    // becomes 4.txt.
    QFile::remove(files() + u"02.txt"_s);
    writeFile(files() + u"03.txt"_s, "alt");
    m_form1->refreshFileLists();
    copy(u"drei"_s);
    EXPECT_EQ(readFile(files() + u"4.txt"_s), "drei\r\n");
    EXPECT_EQ(readFile(files() + u"03.txt"_s), "alt");

    // Counts follow what another program does to the directory, as of the last refresh.
    using List = CollectionFiles::List;
    const CollectionFiles& lists = m_form1->cycle().store().files();
    const auto counts = [&] {
        m_form1->refreshFileLists();
        return std::make_tuple(lists.count(List::Texts), lists.count(List::Bitmaps),
                               lists.count(List::Metafiles));
    };
    for (const char16_t* name : {u"B.TXT", u"a.bmp", u"b.wmf", u".versteckt.txt", u"kurz"}) {
        writeFile(files() + QString::fromUtf16(name), "");
    }
    QDir(files()).mkdir(u"ordner.txt"_s);
    EXPECT_EQ(lists.count(List::Texts), 4); // not refreshed yet
    EXPECT_EQ(counts(), std::make_tuple(5, 1, 1));
    QFile::remove(files() + u"notes.txt"_s);
    QFile::rename(files() + u"kurz"_s, files() + u"lang.txt"_s);
    QFile::rename(files() + u"a.bmp"_s, files() + u"a.wmf"_s);
    EXPECT_EQ(counts(), std::make_tuple(5, 0, 2));
    EXPECT_EQ(lists.of(List::Texts).names(),
              (QStringList{u"01.txt"_s, u"03.txt"_s, u"4.txt"_s, u"B.TXT"_s, u"lang.txt"_s}));
    // The directory itself replaced by another.
    QDir(files()).rename(files(), files().chopped(1) + u"-alt"_s);
    QDir().mkpath(files());
    writeFile(files() + u"neu.txt"_s, "");
    writeFile(files() + u"neu.wmf"_s, "");
    EXPECT_EQ(counts(), std::make_tuple(1, 0, 1));

    // Data of no interest is removed, and the counters show the lists.
    offer(formats({{u"text/html"_s, "<b>x</b>"}}));
    tick();
    EXPECT_TRUE(m_fake->clipboard.isEmpty());
    EXPECT_EQ(m_form1->Text2->text(), u"1"_s);
    EXPECT_EQ(m_form1->Text4->text(), u"1"_s);
}

TEST_F(CaptureTest, SwitchEmptiesTheClipboardAndSetsTheLook) {
    // Switched on by the fixture: the caption is empty until the first tick, the border black.
    EXPECT_EQ(m_form1->Befehl1->text(), u"S T O P"_s);
    EXPECT_TRUE(m_form1->Zeit1->isActive());
    EXPECT_TRUE(m_form1->Command2->isEnabled());
    EXPECT_FALSE(m_form1->Option3D3->isEnabled());
    EXPECT_TRUE(caption().isEmpty());
    EXPECT_EQ(m_form1->Frame3D7->background(), QColor(Qt::black));

    tick();
    EXPECT_EQ(caption(), u"Pelloran Snapwell   A K T I V"_s);
    EXPECT_EQ(m_form1->Frame3D7->background(), QColor(Qt::red));
    tick();
    EXPECT_EQ(caption(), u"Pelloran Snapwell"_s);
    EXPECT_EQ(m_form1->Frame3D7->background(), QColor(Qt::black));

    // A colour zone clicked while monitoring changes the next blink.
    m_form1->ColourZone_Click(m_form1->Label7);
    tick();
    EXPECT_EQ(m_form1->Frame3D7->background(), QColor(Qt::red));
    tick();
    EXPECT_EQ(m_form1->Frame3D7->background(), QColor(Qt::yellow));

    copy(u"bleibt nicht"_s);
    m_form1->cycle().Command2_Click();
    m_form1->Befehl1_Click();
    EXPECT_TRUE(m_fake->clipboard.isEmpty());
    expectStopped();
    EXPECT_FALSE(m_form1->cycle().screenshotPending());

    // Starting again with "Nach Start minimieren" minimises the window.
    m_form1->Option3D3->setChecked(true);
    m_form1->show();
    m_form1->Befehl1_Click();
    EXPECT_TRUE(m_form1->isMinimized());

    // A desktop that shows the clipboard only to the focused window: said once, at START.
    m_fake->platform.watchesInBackground = false;
    for (bool first : {true, false}) {
        m_form1->Befehl1_Click();
        m_form1->setHint(u"vorher"_s);
        m_form1->Befehl1_Click();
        EXPECT_EQ(hint().startsWith(u"Hinweis: "_s), first);
    }
}

TEST_F(CaptureTest, HugeTextIsShownShortenedAndAnUnchangedClipboardIsNotReadAgain) {
    const QString huge(CaptureCycle::kMaxShown * 3, u'h');
    copy(huge);
    EXPECT_EQ(dat().size(), huge.size() + 2 + 49 + 4);
    EXPECT_LT(m_form1->Text1->toPlainText().size(), CaptureCycle::kMaxShown + 200);
    copy(u"danach"_s);
    // The collected text is shown by its end: the newest piece is visible.
    EXPECT_TRUE(m_form1->Text1->toPlainText().contains(u"danach"_s));
    // The collected text keeps no more than the box shows.
    EXPECT_EQ(m_state.CapturedText.size(), CaptureCycle::kMaxShown);
    EXPECT_TRUE(m_state.CapturedText.endsWith(u"danach\r\n"_s + QString::fromLatin1(kTildes) + u"\r\n"_s));
    // A long line is shown cut: the box never lays out more than a short line's worth.
    for (const QString& line :
         CaptureCycle::shownText(QString(1000000, u'l') + u"\nkurz"_s, false).split(u'\n')) {
        EXPECT_LE(line.size(), CaptureCycle::kMaxShownLine + 6);
    }

    m_fake->clipboard.setText(u"einmal"_s);
    settleCapture(); // stored on the change: the box shows the collection until the next tick
    EXPECT_TRUE(m_form1->Text1->toPlainText().contains(QString::fromLatin1(kTildes)));
    tick();
    EXPECT_EQ(m_form1->Text1->toPlainText(), u"einmal"_s);
    const int reads = m_fake->clipboard.textReads;
    const int revision = m_form1->Text1->document()->revision();
    for (int i = 0; i < 10; ++i) {
        tick();
    }
    EXPECT_EQ(m_fake->clipboard.textReads, reads);
    EXPECT_EQ(m_form1->Text1->document()->revision(), revision);

    // Text above the size limit is refused with a message, nothing is stored.
    m_form1->cycle().setMaxTextBytes(64);
    copy(QString(100, u'x'));
    EXPECT_TRUE(hint().contains(u"zu groß"_s)) << hint().toStdString();
    EXPECT_FALSE(dat().contains("xxxx"));
    EXPECT_FALSE(m_fake->clipboard.isEmpty());
}

TEST_F(CaptureTest, SecretsAndUnreadableContentAreNeitherStoredNorShown) {
    copy(u"davor"_s);
    offer(formats({{u"text/plain"_s, "geheim"}, {QString::fromLatin1(Clipboard::kSecretHint), "secret"}}));
    tick();
    EXPECT_EQ(hint(), u"Kennwort erkannt - nicht gespeichert"_s);
    EXPECT_FALSE(m_form1->Text1->toPlainText().contains(u"geheim"_s));
    EXPECT_EQ(m_fake->clipboard.currentText(), u"geheim"_s); // left for the user to paste
    EXPECT_EQ(m_fake->sound.played.size(), 1);

    // A failure hint gives way to the next success, and a success hint to a later failure.
    copy(u"offen"_s);
    EXPECT_EQ(hint(), u"In Datei CLIPBRD.DAT wurde Text hinzugefügt!"_s);
    m_fake->clipboard.failRead = true;
    copy(u"stumm"_s);
    EXPECT_EQ(hint(), u"Der Inhalt der Zwischenablage konnte nicht gelesen werden"_s);
    const int reads = m_fake->clipboard.textReads;
    tick();
    tick();
    EXPECT_EQ(m_fake->clipboard.textReads, reads); // one attempt per change, no retry loop
    m_fake->clipboard.failRead = false;
    copy(u"wieder"_s);
    EXPECT_EQ(hint(), u"In Datei CLIPBRD.DAT wurde Text hinzugefügt!"_s);
    EXPECT_EQ(dat(), "davor\r\n" + kTildes + "\r\n\r\noffen\r\n" + kTildes + "\r\n\r\nwieder\r\n" + kTildes +
                         "\r\n\r\n");

    // A picture's bytes offered as text: left on the clipboard, one hint; offered beside a
    // picture type, the picture is taken.
    QImage red(3, 2, QImage::Format_RGB32);
    red.fill(Qt::red);
    const QByteArray png = encoded(red, "PNG");
    const QString utf8 = u"text/plain;charset=utf-8"_s;
    offer(formats({{utf8, png}}));
    tick();
    EXPECT_EQ(hint(), u"Binärdaten statt Text - nicht gespeichert"_s);
    const int clears = m_fake->clipboard.clears;
    tick();
    EXPECT_EQ(m_fake->clipboard.clears, clears);
    EXPECT_TRUE(m_fake->clipboard.has(Clipboard::Kind::Text));
    offer(formats({{utf8, png}, {u"image/png"_s, png}}));
    tick();
    settleCapture();
    EXPECT_TRUE(QFileInfo::exists(files() + u"00.bmp"_s));
    EXPECT_FALSE(dat().contains("PNG"));
    EXPECT_EQ(m_fake->sound.played.size(), 4);
}
} // namespace
