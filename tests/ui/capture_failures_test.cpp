// What the capture does when writing fails, the disk or the sound is slow, or the program is
// closed while pieces wait.
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

TEST_F(CaptureTest, AFailedWriteIsReportedKeptFromClosingAndRetriedLaterAheadOfLaterPieces) {
    // The collection directory has gone.
    ASSERT_TRUE(QDir(files()).removeRecursively());
    copy(u"wichtig"_s);
    EXPECT_EQ(hint(), u"FEHLER: Text konnte nicht in CLIPBRD.DAT gespeichert werden (Verzeichnis fehlt)"_s);
    EXPECT_TRUE(m_fake->sound.played.isEmpty());
    EXPECT_TRUE(m_state.CapturedText.isEmpty());
    // A later piece waits behind it: nothing overtakes the failed one.
    copy(u"danach"_s);
    EXPECT_FALSE(QFile::exists(files() + u"clipbrd.dat"_s));
    // Closing now asks before leaving them behind; the user keeps the program open to make room.
    m_fake->messages.answers = {MessageBoxes::Answer::No};
    EXPECT_FALSE(m_form1->close());
    ASSERT_EQ(m_fake->messages.shown.size(), 1);
    EXPECT_EQ(m_fake->messages.shown[0].buttons, MessageBoxes::Buttons::YesNo);
    EXPECT_EQ(m_fake->messages.shown[0].text,
              u"2 kopierte Inhalte konnten nicht gespeichert werden (Verzeichnis fehlt).\n\n"
              u"Programm trotzdem beenden ? Das Kopierte geht dann verloren."_s);

    // Once the directory is back, the next tick stores both, in order.
    ASSERT_TRUE(QDir().mkpath(files()));
    tick();
    EXPECT_EQ(dat(), "wichtig\r\n" + kTildes + "\r\n\r\ndanach\r\n" + kTildes + "\r\n\r\n");
    // Two confirmations in quick succession may be merged into one tone.
    EXPECT_GE(m_fake->sound.played.size(), 1);
    EXPECT_EQ(hint(), u"In Datei CLIPBRD.DAT wurde Text hinzugefügt!"_s);

    // Single files: a failed write leaves no file behind and the piece is retried.
    m_form1->Option3D2_Click();
    ASSERT_TRUE(QDir(files()).removeRecursively());
    copy(u"einzeln"_s);
    EXPECT_EQ(hint(), u"FEHLER: Text konnte nicht als Datei 00.TXT gespeichert werden (Verzeichnis fehlt)"_s);
    ASSERT_TRUE(QDir().mkpath(files()));
    tick();
    EXPECT_EQ(readFile(files() + u"00.txt"_s), "einzeln\r\n");

    // A small file system of its own runs full in the middle of a piece: no part of it is
    // left behind.
    if (!useSmallDisk()) {
        GTEST_SKIP() << "cannot mount a tmpfs here";
    }
    m_form1->Option3D1_Click();
    m_form1->Check1->setChecked(false);
    // Earlier records fill most of the disk; the new piece is small enough to be buffered
    // but larger than the room left.
    const QByteArray earlier = QByteArray(58 * 1024, 'e') + "\r\n\r\n";
    writeFile(m_small + u"clipbrd.dat"_s, earlier);
    const QString piece(8 * 1024, u'n');
    const qsizetype tones = m_fake->sound.played.size();
    copy(piece);
    EXPECT_EQ(readFile(m_small + u"clipbrd.dat"_s), earlier);
    EXPECT_EQ(hint(), u"FEHLER: Text konnte nicht in CLIPBRD.DAT gespeichert werden (Datenträger voll)"_s);
    EXPECT_EQ(m_fake->sound.played.size(), tones);

    // Tried again at every tick, each time leaving nothing behind.
    tick();
    EXPECT_EQ(readFile(m_small + u"clipbrd.dat"_s), earlier);

    // With room again, the piece is stored whole by the next tick.
    growSmallDisk();
    tick();
    EXPECT_EQ(readFile(m_small + u"clipbrd.dat"_s), earlier + piece.toUtf8() + "\r\n\r\n");
    EXPECT_EQ(m_fake->sound.played.size(), tones + 1);
}

// While the close question is open nothing is taken, so that its count is what "Ja" loses;
// "Nein" takes up what came meanwhile. Every piece left behind at exit, by "Ja" or by
// termination, is named in the log with its kind and size.
TEST_F(CaptureTest, TheCloseQuestionTakesNothingWhileOpenAndWhatIsDroppedIsLogged) {
    for (const bool terminate : {false, true}) {
        SCOPED_TRACE(terminate ? "termination" : "Ja");
        if (terminate) {
            m_form1.reset();
            start();
            startMonitoring();
        }
        ASSERT_TRUE(QDir(files()).removeRecursively());
        copy(u"eins"_s);
        m_form1->Zeit1->setInterval(20);
        bool tickingWhileAsked = true;
        qsizetype waitingWhileAsked = 0;
        m_fake->messages.answers = {MessageBoxes::Answer::No};
        m_fake->messages.whileShown = [&] {
            m_fake->clipboard.setText(u"zwei"_s);
            QElapsedTimer t;
            t.start();
            while (t.elapsed() < 200) {
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            }
            tickingWhileAsked = m_form1->Zeit1->isActive();
            waitingWhileAsked = m_form1->cycle().store().size();
        };
        EXPECT_FALSE(m_form1->close());
        ASSERT_EQ(m_fake->messages.shown.size(), 1);
        EXPECT_EQ(m_fake->messages.shown[0].text,
                  u"Ein kopierter Inhalt konnte nicht gespeichert werden (Verzeichnis fehlt).\n\n"
                  u"Programm trotzdem beenden ? Das Kopierte geht dann verloren."_s);
        EXPECT_FALSE(tickingWhileAsked);
        EXPECT_EQ(waitingWhileAsked, 1);
        EXPECT_EQ(m_form1->cycle().lastClipText(), u"eins"_s);
        // "Nein": capture goes on and takes what was copied meanwhile.
        EXPECT_TRUE(m_form1->Zeit1->isActive());
        tick();
        EXPECT_EQ(m_form1->cycle().lastClipText(), u"zwei"_s);
        ASSERT_EQ(m_form1->cycle().store().size(), 2);

        const LogLines log("snapwell.store");
        if (terminate) {
            m_form1->endSession();
        } else {
            EXPECT_TRUE(m_form1->close());
        }
        m_form1.reset();
        // Each piece once, whichever way the program ended: "eins" and "zwei" with the
        // separator block and the line end make 59 bytes each.
        EXPECT_EQ(log.with({u"dropped at exit"_s, u"collected text of 59 bytes"_s}).size(), 2)
            << log.lines().join(u'\n').toStdString();
        m_fake->messages.shown.clear();
        ASSERT_TRUE(QDir().mkpath(files()));
    }
}

TEST_F(CaptureTest, ARefusedCollectionFileHoldsUpNoOtherFileAndWaitingPiecesFollowANewDirectory) {
    m_form1->Check1->setChecked(false);
    // A named pipe stands where the collection file belongs: its pieces wait.
    ASSERT_EQ(::mkfifo(QFile::encodeName(files() + u"clipbrd.dat"_s).constData(), 0600), 0);
    copy(u"A"_s);
    EXPECT_EQ(hint(), u"FEHLER: Text konnte nicht in CLIPBRD.DAT gespeichert werden (keine normale Datei)"_s);
    // Single files and pictures go on meanwhile.
    m_form1->Option3D2_Click();
    copy(u"B"_s);
    EXPECT_EQ(readFile(files() + u"00.txt"_s), "B\r\n");
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    m_fake->clipboard.setImage(image);
    settleCapture();
    EXPECT_TRUE(QFileInfo(files() + u"00.bmp"_s).size() > 0);
    m_form1->Option3D1_Click();
    copy(u"C"_s);
    tick();
    EXPECT_EQ(hint(), u"FEHLER: Text konnte nicht in CLIPBRD.DAT gespeichert werden (keine normale Datei)"_s);

    // The user chooses another collection directory: what waits goes there, in order, ahead
    // of what is copied next, and the hint says where. Something foreign stands under the
    // crash guard's name there: it stays, the pieces are stored all the same, and the hint
    // says so once.
    const QString other = m_dir.path() + u"/anderswo/"_s;
    ASSERT_TRUE(QDir().mkpath(other + u".clipbrd.dat.len"_s));
    QStringList hints;
    QObject::connect(&m_form1->cycle().store(), &CollectionStore::written, [&] { hints << hint(); });
    m_state.SavePath = other;
    m_form1->Browser_PathChosen();
    settleCapture();
    copy(u"D"_s);
    EXPECT_EQ(readFile(other + u"clipbrd.dat"_s), "A\r\n\r\nC\r\n\r\nD\r\n\r\n");
    const QString added = u"In Datei CLIPBRD.DAT wurde Text hinzugefügt!"_s;
    EXPECT_EQ(hints, (QStringList{added + u" (wartete, jetzt in anderswo) - ohne Absturzschutz"_s,
                                  added + u" (wartete, jetzt in anderswo)"_s, added}));
    EXPECT_TRUE(QFileInfo(other + u".clipbrd.dat.len"_s).isDir());
    EXPECT_TRUE(m_form1->close());
    EXPECT_TRUE(m_fake->messages.shown.isEmpty());
}

// A disk that takes its time.
class SlowWriter final : public PieceWriter {
public:
    WriteResult write(const Piece& piece) override {
        QThread::msleep(300);
        return FileWriter().write(piece);
    }
};

TEST_F(CaptureTest, ASlowDiskAndASlowSoundNeverHoldTheWindow) {
    m_form1->Check1->setChecked(false);
    m_form1->cycle().store().setWriter(std::make_unique<SlowWriter>());
    m_fake->sound.onPlay = [] { QThread::msleep(2000); };
    // What is on the disk as each piece is reported written, and confirmed.
    QList<QByteArray> onDisk;
    QStringList hints, labels;
    QObject::connect(&m_form1->cycle().store(), &CollectionStore::written, [&] {
        onDisk << dat();
        hints << hint();
        labels << m_form1->Label11->text();
    });
    for (int i = 0; i < 3; ++i) {
        m_fake->clipboard.setText(u"Stück %1"_s.arg(i));
        QCoreApplication::processEvents();
    }
    // Nothing confirmed before it is written.
    EXPECT_TRUE(hint().isEmpty());
    EXPECT_TRUE(m_fake->sound.played.isEmpty());

    // The window's thread goes on: a 20 ms timer and the tick keep running meanwhile.
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0, longest = 0;
    QTimer beat;
    QObject::connect(&beat, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.elapsed() - last);
        last = clock.elapsed();
    });
    beat.start(20);
    int blinks = 0;
    QObject::connect(m_form1.get(), &QWidget::windowTitleChanged, [&] { ++blinks; });
    m_form1->Zeit1->setInterval(100);
    while (clock.elapsed() < 3000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    EXPECT_LT(longest, 250);
    EXPECT_GE(blinks, 20);
    EXPECT_EQ(dat(), "Stück 0\r\n\r\nStück 1\r\n\r\nStück 2\r\n\r\n"_ba);
    ASSERT_EQ(onDisk.size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(onDisk[i].endsWith(u"Stück %1\r\n\r\n"_s.arg(i).toUtf8())) << i;
        EXPECT_EQ(hints[i], u"In Datei CLIPBRD.DAT wurde Text hinzugefügt!"_s) << i;
        EXPECT_EQ(labels[i], u"Textdaten vorhanden"_s) << i;
    }
    // The first tone plays for 2 s; the two confirmations meanwhile wait their turn.
    m_form1->cycle().sound().waitIdle();
    EXPECT_EQ(m_fake->sound.played.size(), 3);

    // A piece taken before STOP and confirmed after the next START belongs to the session
    // that took it: on the disk, not in the new session's collected text.
    m_fake->clipboard.setText(u"vorher"_s);
    QCoreApplication::processEvents();
    m_form1->Befehl1_Click();
    m_form1->Befehl1_Click();
    m_form1->Text1->setPlainText(u"neu"_s);
    settleCapture();
    EXPECT_TRUE(dat().endsWith("vorher\r\n\r\n"));
    EXPECT_TRUE(m_state.CapturedText.isEmpty());
    EXPECT_EQ(m_form1->Text1->toPlainText(), u"neu"_s);
}

TEST(SoundQueueTest, OneTonePerPieceInTurnAndABurstMergedToTwoSecondsOfTones) {
    QFile clip(u":/clip.wav"_s);
    ASSERT_TRUE(clip.open(QIODevice::ReadOnly));
    const QByteArray wave = clip.readAll();
    const auto length = SoundQueue::duration(wave);
    EXPECT_GE(length.count(), 55);
    EXPECT_LE(length.count(), 65);
    const qsizetype merged = SoundQueue::kMaxWaiting / length + 1; // waiting, and one playing
    const struct {
        int pieces;
        int gapMs;
        qsizetype least, most;
    } cases[] = {
        {10, 50, 10, 10},                 // one after another
        {3, 0, 3, 3},                     // written together
        {100, 0, merged - 1, merged + 1}, // a burst: about two seconds of tones
    };
    for (const auto& c : cases) {
        FakeSound sound;
        std::atomic<int> playing{0};
        bool overlapped = false;
        sound.onPlay = [&] {
            overlapped = overlapped || ++playing > 1;
            QThread::msleep(quint64(length.count()));
            --playing;
        };
        QElapsedTimer clock;
        clock.start();
        {
            SoundQueue queue(sound);
            for (int i = 0; i < c.pieces; ++i) {
                EXPECT_TRUE(queue.playWave(wave, SoundOutput::Memory));
                QThread::msleep(quint64(c.gapMs));
            }
            queue.waitIdle();
        }
        EXPECT_GE(sound.played.size(), c.least) << c.pieces;
        EXPECT_LE(sound.played.size(), c.most) << c.pieces;
        EXPECT_FALSE(overlapped);
        EXPECT_LT(clock.elapsed(), c.pieces * c.gapMs + 2500) << c.pieces;
    }
}

} // namespace
