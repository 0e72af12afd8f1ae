// The text data manager's editing: "Speichern", renaming, "Text löschen" and "Neu".
#include "tests/ui/managerfixture.h"

#include <QElapsedTimer>
#include <QThread>

using namespace Qt::StringLiterals;

namespace {

using EditTest = ManagerFixture;

const QString kAppendedQuestion =
    u"An die Datei CLIPBRD.DAT wurden inzwischen neue Textdaten angehängt.\n\nSollen sie an den bearbeiteten "
    u"Text angehängt und mit ihm gespeichert werden?\n(Bei \"Nein\" wird nicht gespeichert.)   "_s;

const QString kReplacedQuestion =
    u"Die Datei %1 enthält Text, der im Fenster nicht angezeigt wird.\n\nSoll sie trotzdem mit dem Text aus "
    u"dem Fenster überschrieben werden?\n(Bei \"Nein\" wird nicht gespeichert.)   "_s;

const QByteArray kTildes(49, '~');
QByteArray record(const QByteArray& piece) {
    return piece + "\r\n" + kTildes + "\r\n\r\n";
}

TEST_F(EditTest, SavingAfterCapturesAsksAndKeepsEveryNewPieceAndNeuMovesTheCollectionAside) {
    put(u"clipbrd.dat"_s, record("erster"));
    start();
    startMonitoring();
    Form5& f = open();
    typeText(f.Text3, u">> "_s);
    // Monitoring goes on behind the manager.
    m_fake->clipboard.setText(u"zweiter"_s);
    settleCapture();
    const QByteArray captured = record("erster") + record("zweiter");
    ASSERT_EQ(file(u"clipbrd.dat"_s), captured);

    answer(Answer::No);
    finish(f, &Form5::Befehl2_Click);
    ASSERT_EQ(shown().size(), 1);
    EXPECT_EQ(said(), std::pair(kAppendedQuestion, Icon::Question));
    EXPECT_EQ(shown()[0].buttons, MessageBoxes::Buttons::YesNo);
    EXPECT_EQ(file(u"clipbrd.dat"_s), captured);
    EXPECT_TRUE(f.Befehl2->isEnabled());

    // The question's own event loop goes on delivering the capture timer's ticks.
    const auto captureWhileAsking = [&](const QString& piece) {
        m_fake->messages.whileShown = [this, piece] {
            m_fake->clipboard.setText(piece);
            settleCapture();
        };
    };
    captureWhileAsking(u"dritter"_s);
    finish(f, &Form5::Befehl2_Click); // Yes to both questions
    ASSERT_EQ(shown().size(), 3);
    EXPECT_EQ(shown()[1].text, kAppendedQuestion);
    EXPECT_EQ(shown()[2].text, kAppendedQuestion);
    const QByteArray saved = ">> " + captured + record("dritter");
    EXPECT_EQ(file(u"clipbrd.dat"_s), saved);
    EXPECT_EQ(f.Text3->text().toUtf8(), saved); // the box shows what was saved
    EXPECT_FALSE(f.Befehl2->isEnabled());

    // Saved once more with nothing new on disk: no question.
    typeText(f.Text3, u"!"_s);
    finish(f, &Form5::Befehl2_Click);
    EXPECT_EQ(shown().size(), 3);
    EXPECT_EQ(file(u"clipbrd.dat"_s), ">> !" + saved.mid(3));

    // The same while the question is about replacing text the box does not show.
    f.Text3->setText(u"neu"_s);
    put(u"clipbrd.dat"_s, "fremd\r\n");
    captureWhileAsking(u"vierter"_s);
    finish(f, &Form5::Befehl2_Click);
    ASSERT_EQ(shown().size(), 5);
    EXPECT_EQ(shown()[3].text, kReplacedQuestion.arg(u"CLIPBRD.DAT"_s));
    EXPECT_EQ(shown()[4].text, kAppendedQuestion);
    EXPECT_EQ(file(u"clipbrd.dat"_s), "neu\r\n" + record("vierter"));

    // "Neu" moves the collection file aside, but never over backup.dat.
    const QByteArray first = file(u"clipbrd.dat"_s);
    f.Liste1->clearSelection();
    finish(f, &Form5::Befehl4_Click);
    EXPECT_EQ(said(), std::pair(u"Bitte markieren !   "_s, Icon::Information));

    ASSERT_TRUE(Form5::selectEntry(f.Liste1, u"clipbrd.dat"_s));
    answer(Answer::No);
    finish(f, &Form5::Befehl4_Click);
    EXPECT_EQ(said(),
              std::pair(u"Willst Du wirklich eine neue Text-Sammeldatei beginnen ?   "_s, Icon::Question));
    EXPECT_TRUE(QFileInfo::exists(files() + u"clipbrd.dat"_s));
    EXPECT_FALSE(f.Text3->isEmpty());

    finish(f, &Form5::Befehl4_Click); // Yes
    EXPECT_EQ(file(u"backup.dat"_s), first);
    EXPECT_EQ(entries(f.Liste1), QStringList{u"backup.dat"_s});
    EXPECT_TRUE(f.Liste1->selectedItems().isEmpty());
    EXPECT_TRUE(f.Text3->isEmpty());
    EXPECT_FALSE(f.Befehl2->isEnabled());

    // The next capture starts a new collection file; "Neu" on it must not touch backup.dat.
    // It fails, yet the box is emptied: typed text would replace the whole collection.
    m_fake->clipboard.setText(u"zweite Sammlung"_s);
    settleCapture();
    const QByteArray second = file(u"clipbrd.dat"_s);
    ASSERT_EQ(second, record("zweite Sammlung"));
    f.Liste1->addItem(u"clipbrd.dat"_s); // as the list shows it once refreshed
    ASSERT_TRUE(Form5::selectEntry(f.Liste1, u"clipbrd.dat"_s));
    finish(f, &Form5::Befehl4_Click);
    EXPECT_EQ(file(u"backup.dat"_s), first);
    EXPECT_TRUE(f.Text3->isEmpty());
    EXPECT_EQ(entries(f.Liste1), (QStringList{u"backup.dat"_s, u"clipbrd.dat"_s}));
    typeText(f.Text3, u"getippt"_s);
    answer(Answer::No);
    finish(f, &Form5::Befehl2_Click);
    EXPECT_EQ(said().first, kReplacedQuestion.arg(u"CLIPBRD.DAT"_s));
    EXPECT_EQ(file(u"clipbrd.dat"_s), second);
}

TEST_F(EditTest, SavingALargeCollectionWhileCapturesStreamInLosesNoConfirmedPiece) {
    const QByteArray big = (QByteArray(98, 'g') + "\r\n").repeated(200 * 1024);
    put(u"clipbrd.dat"_s, big);
    start();
    startMonitoring();
    Form5& f = open();
    QElapsedTimer clock;
    clock.start();
    while (f.Text3->loading() && clock.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    typeText(f.Text3, u">"_s);
    // Every piece confirmed on the way, before and while "Speichern" checks and writes (Yes to
    // each question about appended text).
    QStringList confirmed;
    QObject::connect(&m_form1->cycle().store(), &CollectionStore::written,
                     [&](const Piece& piece, const WriteResult& result) {
                         if (result.ok) {
                             confirmed << piece.text;
                         }
                     });
    for (int i = 0; i < 20; ++i) {
        if (i == 5) {
            f.Befehl2_Click();
        }
        m_fake->clipboard.setText(u"Stück %1"_s.arg(i));
        QCoreApplication::processEvents();
        QThread::msleep(15);
    }
    while ((f.saving() || !m_form1->cycle().store().idle()) && clock.elapsed() < 60000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    settleCapture();
    EXPECT_EQ(said(), std::pair(kAppendedQuestion, Icon::Question));
    ASSERT_EQ(confirmed.size(), 20);
    const QByteArray onDisk = file(u"clipbrd.dat"_s);
    EXPECT_TRUE(onDisk.startsWith(">g"));
    for (const QString& piece : confirmed) {
        EXPECT_TRUE(onDisk.contains(record(piece.toUtf8()))) << piece.toStdString();
    }
}

TEST_F(EditTest, SavingSaysWhenItFailsRenamingChecksTheNameAndDeletingAsksWithItInCapitals) {
    put(u"a.txt"_s, "A\r\n");
    put(u"b.txt"_s, "B");
    put(u"Notiz ä.txt"_s, "N\r\n");
    QDir().mkdir(m_appPath + u"oben"_s);
    QDir().mkdir(files() + u"unter"_s);
    Form5& f = open();
    f.Befehl7_Click();
    EXPECT_EQ(said().first, u"Kein Text markiert !   "_s);
    EXPECT_FALSE(f.Frame3D7->isVisible());
    finish(f, &Form5::Befehl5_Click);
    EXPECT_EQ(shown().size(), 2);
    EXPECT_EQ(said().first, u"Kein Text markiert !   "_s);

    // Nothing shown yet in this run: there is no file to save to.
    typeText(f.Text3, u"Notiz"_s);
    finish(f, &Form5::Befehl2_Click);
    ASSERT_EQ(shown().size(), 3);
    EXPECT_EQ(said(), std::pair(u"Fehler beim Schreiben der Datei."_s, Icon::Exclamation));
    EXPECT_TRUE(f.Befehl2->isEnabled());
    EXPECT_EQ(f.Text3->text(), u"Notiz"_s);

    ASSERT_TRUE(Form5::selectEntry(f.Liste2, u"b.txt"_s));
    typeText(f.Text3, u"0"_s);
    finish(f, &Form5::Befehl2_Click);
    EXPECT_EQ(file(u"b.txt"_s), "0B\r\n");
    EXPECT_FALSE(f.Befehl2->isEnabled());
    EXPECT_EQ(shown().size(), 3);

    typeText(f.Text3, u"x"_s);
    put(u"b.txt"_s, "1B\r\n"); // another program rewrote it, even at the same size
    answer(Answer::No);
    finish(f, &Form5::Befehl2_Click);
    EXPECT_EQ(said(), std::pair(kReplacedQuestion.arg(u"B.TXT"_s), Icon::Question));
    EXPECT_EQ(file(u"b.txt"_s), "1B\r\n");
    finish(f, &Form5::Befehl2_Click); // Yes
    EXPECT_EQ(file(u"b.txt"_s), "0xB\r\n");
    EXPECT_FALSE(f.Befehl2->isEnabled());

    const auto rename = [&](const QString& from, const QString& to) {
        ASSERT_TRUE(Form5::selectEntry(f.Liste2, from));
        f.Befehl7_Click();
        EXPECT_TRUE(f.Frame3D7->isVisible());
        f.Text2->setText(to);
        finish(f, &Form5::Befehl10_Click);
        EXPECT_FALSE(f.Frame3D7->isVisible());
    };

    const QStringList before =
        QDir(files()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    // Pasted text is not filtered by the keys; the name itself is checked.
    for (const QString& bad :
         {u""_s, u"   "_s, u"."_s, u".."_s, u"../oben/a"_s, u"unter/x"_s, u"/tmp/a"_s, u".versteckt"_s}) {
        const qsizetype messages = shown().size();
        rename(u"a.txt"_s, bad);
        ASSERT_EQ(shown().size(), messages + 1) << bad.toStdString();
        EXPECT_EQ(said(), std::pair(u"FEHLER !    "_s, Icon::Critical));
        EXPECT_EQ(QDir(files()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
    }
    EXPECT_TRUE(QDir(m_appPath + u"oben"_s).isEmpty());
    EXPECT_TRUE(QDir(files() + u"unter"_s).isEmpty());

    // An existing name is never replaced; that file is shown afterwards.
    rename(u"a.txt"_s, u"b"_s);
    EXPECT_EQ(said().first, u"FEHLER !    "_s);
    EXPECT_EQ(file(u"a.txt"_s), "A\r\n");
    EXPECT_EQ(file(u"b.txt"_s), "0xB\r\n");
    EXPECT_EQ(Form5::selection(f.Liste2), u"b.txt"_s);
    EXPECT_EQ(f.Text3->text(), u"0xB\r\n"_s);

    // The entry vanished while the panel was open.
    ASSERT_TRUE(Form5::selectEntry(f.Liste2, u"a.txt"_s));
    f.Befehl7_Click();
    f.Liste2->clearSelection();
    f.Text2->setText(u"c"_s);
    finish(f, &Form5::Befehl10_Click);
    EXPECT_EQ(said().first, u"FEHLER !    "_s);
    EXPECT_FALSE(QFileInfo::exists(files() + u"c.txt"_s));

    ASSERT_TRUE(Form5::selectEntry(f.Liste2, u"a.txt"_s));
    f.Befehl7_Click();
    EXPECT_EQ(f.Text2->text(), u"a"_s);
    // Characters that would break the name are swallowed as they are typed.
    typeText(f.Text2, u"b.c,d*e:f;g\"h\\i/j?k"_s);
    EXPECT_EQ(f.Text2->text(), u"abcdefghij?k"_s);
    f.Befehl12_Click(); // "Abbruch"
    EXPECT_FALSE(f.Frame3D7->isVisible());
    EXPECT_TRUE(QFileInfo::exists(files() + u"a.txt"_s));

    qsizetype messages = shown().size();
    rename(u"a.txt"_s, u"  Neuer Name  "_s);
    EXPECT_EQ(file(u"Neuer Name.txt"_s), "A\r\n");
    EXPECT_EQ(entries(f.Liste2), (QStringList{u"b.txt"_s, u"Neuer Name.txt"_s, u"Notiz ä.txt"_s}));
    EXPECT_EQ(Form5::selection(f.Liste2), u"Neuer Name.txt"_s);
    EXPECT_EQ(m_form1->form5()->textFile(), files() + u"Neuer Name.txt"_s);
    EXPECT_EQ(f.Text3->text(), u"A\r\n"_s);
    EXPECT_EQ(buttons(f), std::make_tuple(false, true, false));
    EXPECT_EQ(shown().size(), messages);

    ASSERT_TRUE(Form5::selectEntry(f.Liste2, u"Notiz ä.txt"_s));
    answer(Answer::No);
    finish(f, &Form5::Befehl5_Click);
    EXPECT_EQ(said(), std::pair(u"Willst Du wirklich die Datei NOTIZ Ä.TXT löschen?"_s, Icon::Question));
    EXPECT_TRUE(QFileInfo::exists(files() + u"Notiz ä.txt"_s));
    EXPECT_EQ(f.Text3->text(), u"N\r\n"_s);

    finish(f, &Form5::Befehl5_Click); // Yes
    EXPECT_EQ(entries(f.Liste2), (QStringList{u"b.txt"_s, u"Neuer Name.txt"_s}));
    EXPECT_TRUE(f.Text3->isEmpty());
    EXPECT_TRUE(f.Befehl2->isEnabled()); // the box held text: emptying it is a change
    EXPECT_EQ(m_form1->form5()->textFile(), files() + u"Notiz ä.txt"_s);
    // Typing and saving writes the deleted file again, without a question.
    typeText(f.Text3, u"wieder"_s);
    messages = shown().size();
    finish(f, &Form5::Befehl2_Click);
    EXPECT_EQ(shown().size(), messages);
    EXPECT_EQ(file(u"Notiz ä.txt"_s), "wieder\r\n");
}

} // namespace
