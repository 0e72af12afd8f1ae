// The text data manager: opening it from the main window, its lists, showing files, the
// button states and leaving it.
#include "tests/ui/managerfixture.h"

#include <QElapsedTimer>
#include <QScrollBar>
#include <QThread>

using namespace Qt::StringLiterals;

namespace {

using ManagerTest = ManagerFixture;

TEST_F(ManagerTest, TextdatenNeedsTextShowsTheCollectionFileAndLeavesWithFreshCounters) {
    put(u"bild.bmp"_s, "BM");
    start();
    m_form1->show();
    m_form1->Befehl4->setFocus();
    m_form1->Befehl4->click();
    EXPECT_EQ(m_form1->focusWidget(), m_form1->Command1);
    ASSERT_EQ(shown().size(), 1);
    EXPECT_EQ(said(),
              std::pair(u"Im aktuellen Sammel-Verzeichnis wurden noch keine Textdaten gespeichert !   "_s,
                        Icon::Information));
    EXPECT_EQ(shown()[0].buttons, MessageBoxes::Buttons::Ok);
    EXPECT_EQ(shown()[0].title, m_state.AppTitle);
    EXPECT_FALSE(m_form1->form5());
    EXPECT_TRUE(m_form1->isVisible());

    // Only backup.dat: nothing is loaded or selected.
    put(u"backup.dat"_s, "alt\r\n");
    m_form1->refreshFileLists();
    m_form1->showCounters();
    Form5& f = open();
    EXPECT_EQ(entries(f.Liste1), QStringList{u"backup.dat"_s});
    EXPECT_TRUE(f.Liste1->selectedItems().isEmpty());
    EXPECT_TRUE(f.Text3->isEmpty());
    EXPECT_EQ(buttons(f), std::make_tuple(false, false, true));
    leave();

    // Only single text files: the counter lets the window open.
    QFile::remove(files() + u"backup.dat"_s);
    put(u"01.txt"_s, "x\r\n");
    m_form1->refreshFileLists();
    m_form1->showCounters();
    Form5& g = open();
    EXPECT_EQ(entries(g.Liste2), QStringList{u"01.txt"_s});
    EXPECT_TRUE(g.Text3->isEmpty());
    EXPECT_EQ(m_form1->Text2->text(), u"1"_s);
    // Captures and other programs go on while the manager is open.
    put(u"02.txt"_s, "y\r\n");
    put(u"03.bmp"_s, "BM");
    put(u"scr04.bmp"_s, "BM");
    put(u"backup.dat"_s, "alt\r\n");
    // A rename panel left open is simply discarded.
    ASSERT_TRUE(Form5::selectEntry(g.Liste2, u"01.txt"_s));
    g.Befehl7_Click();
    EXPECT_TRUE(g.Frame3D7->isVisible());
    leave();
    EXPECT_EQ(m_form1->focusWidget(), m_form1->Command1);
    EXPECT_EQ(shown().size(), 1);
    EXPECT_TRUE(QFile::exists(files() + u"01.txt"_s));
    EXPECT_EQ(m_form1->Text2->text(), u"2"_s);
    EXPECT_EQ(m_form1->Text4->text(), u"3"_s);
    EXPECT_EQ(m_form1->Label11->text(), u"Textdaten vorhanden"_s);
    // With no copy target in the profile the key is written empty.
    EXPECT_TRUE(readFile(profile()).contains("CopyPath=\r\n"));

    // With a collection file: it is shown, the lists sorted by name.
    put(u"05.txt"_s, "z\r\n");
    put(u"clipbrd.dat"_s, "eins\r\nzwei\r\ndrei"); // no line end after the last line
    put(u"b.txt"_s, "B\r\n");
    put(u"A.txt"_s, "A\r\n");
    put(u".versteckt.txt"_s, "H\r\n");
    QDir().mkdir(files() + u"ordner.txt"_s);
    m_form1->setWindowTitle(m_state.AppTitle + u" *"_s);
    Form5& k = open();
    EXPECT_FALSE(m_form1->isVisible());
    EXPECT_EQ(m_form1->windowTitle(), m_state.AppTitle);
    EXPECT_TRUE(k.isVisible());
    EXPECT_EQ(entries(k.Liste1), (QStringList{u"backup.dat"_s, u"clipbrd.dat"_s}));
    EXPECT_EQ(entries(k.Liste2),
              (QStringList{u"01.txt"_s, u"02.txt"_s, u"05.txt"_s, u"A.txt"_s, u"b.txt"_s}));
    EXPECT_EQ(Form5::selection(k.Liste1), u"clipbrd.dat"_s);
    EXPECT_EQ(Form5::selection(k.Liste2), QString());
    EXPECT_EQ(k.Text3->text(), u"eins\r\nzwei\r\ndrei\r\n"_s);
    EXPECT_EQ(m_form1->form5()->textFile(), files() + u"clipbrd.dat"_s);
    EXPECT_EQ(buttons(k), std::make_tuple(false, false, true));
    EXPECT_FALSE(k.Bezeichnung3->isVisible());
    // Both scroll bars stay, however little text the box shows.
    EXPECT_TRUE(k.Text3->verticalScrollBar()->isVisible());
    EXPECT_TRUE(k.Text3->horizontalScrollBar()->isVisible());

    // Closing by the frame leaves the same way: never a hidden main window alone.
    EXPECT_TRUE(k.close());
    destroyDeferred();
    EXPECT_EQ(m_form1->Text2->text(), u"5"_s);
}

TEST_F(ManagerTest, FilesAreShownByTheLineRulesAndButtonsFollowTheLastAction) {
    put(u"clipbrd.dat"_s, "Sammlung\r\n");
    put(u"a.txt"_s, "A\r\n");
    put(u"weg.txt"_s, "W\r\n");
    // A regular file whose reading fails: this process's memory at address 0.
    ASSERT_TRUE(QFile::link(u"/proc/self/mem"_s, files() + u"kaputt.txt"_s));
    put(u"crlf.txt"_s, "eins\r\nzwei\r\n");
    put(u"lf.txt"_s, "a\nb\nc\n");
    put(u"cr.txt"_s, "a\rb");
    put(u"leer.txt"_s, "");
    put(u"alt.txt"_s, "M\xe4rz \x80\r\n");
    Form5& f = open();
    const auto show = [&](const QString& name) {
        EXPECT_TRUE(Form5::selectEntry(f.Liste2, name));
        return f.Text3->text();
    };
    EXPECT_EQ(show(u"crlf.txt"_s), u"eins\r\nzwei\r\n"_s);
    EXPECT_EQ(f.Text3->paragraphs(), 3);
    EXPECT_EQ(show(u"lf.txt"_s), u"a\nb\nc\n\r\n"_s); // one line, its LFs inside it
    EXPECT_EQ(f.Text3->paragraphs(), 2);
    EXPECT_EQ(show(u"cr.txt"_s), u"a\r\nb\r\n"_s);
    EXPECT_EQ(show(u"leer.txt"_s), QString());
    EXPECT_EQ(show(u"alt.txt"_s), u"März €\r\n"_s);

    // Saved as shown, a file keeps every byte; its lone LFs included.
    EXPECT_TRUE(Form5::selectEntry(f.Liste2, u"lf.txt"_s));
    finish(f, &Form5::Befehl2_Click);
    EXPECT_EQ(file(u"lf.txt"_s), "a\nb\nc\n\r\n");
    // Return typed in the box makes a CR LF line end.
    EXPECT_TRUE(Form5::selectEntry(f.Liste2, u"crlf.txt"_s));
    typeText(f.Text3, u"null\r"_s);
    finish(f, &Form5::Befehl2_Click);
    EXPECT_EQ(file(u"crlf.txt"_s), "null\r\neins\r\nzwei\r\n");

    EXPECT_TRUE(Form5::selectEntry(f.Liste2, u"a.txt"_s));
    EXPECT_EQ(buttons(f), std::make_tuple(false, true, false));
    // The other list keeps its entry, though its copy button is now off.
    EXPECT_EQ(Form5::selection(f.Liste1), u"clipbrd.dat"_s);

    typeText(f.Text3, u"x"_s);
    EXPECT_EQ(buttons(f), std::make_tuple(true, true, false));
    finish(f, &Form5::Befehl2_Click);
    EXPECT_EQ(buttons(f), std::make_tuple(false, true, false));
    // An undo is a change of the text as well.
    f.Text3->undo();
    EXPECT_EQ(std::pair(f.Text3->text(), f.Befehl2->isEnabled()), std::pair(u"A\r\n"_s, true));
    f.Text3->redo();
    finish(f, &Form5::Befehl2_Click);

    // A click on the collection file, still chosen, shows it again; unsaved text is dropped
    // without a question.
    typeText(f.Text3, u"y"_s);
    clickOn(f.Liste1->viewport(), f.Liste1->visualItemRect(f.Liste1->item(0)).center());
    EXPECT_EQ(buttons(f), std::make_tuple(false, false, true));
    EXPECT_EQ(f.Text3->text(), u"Sammlung\r\n"_s);
    EXPECT_EQ(file(u"a.txt"_s), "xA\r\n");
    EXPECT_TRUE(shown().isEmpty());

    // An entry whose file has gone changes nothing.
    QFile::remove(files() + u"weg.txt"_s);
    EXPECT_TRUE(Form5::selectEntry(f.Liste2, u"weg.txt"_s));
    EXPECT_EQ(f.Text3->text(), u"Sammlung\r\n"_s);
    EXPECT_EQ(m_form1->form5()->textFile(), files() + u"clipbrd.dat"_s);
    EXPECT_EQ(buttons(f), std::make_tuple(false, false, true));

    // An unreadable file keeps the previous text and says so.
    typeText(f.Text3, u"x"_s);
    ASSERT_TRUE(Form5::selectEntry(f.Liste2, u"kaputt.txt"_s));
    ASSERT_EQ(shown().size(), 1);
    EXPECT_EQ(said(),
              std::pair(u"Die Datei KAPUTT.TXT konnte nicht gelesen werden !   "_s, Icon::Exclamation));
    EXPECT_EQ(f.Text3->text(), u"xSammlung\r\n"_s);
    EXPECT_EQ(m_form1->form5()->textFile(), files() + u"clipbrd.dat"_s);
    EXPECT_EQ(buttons(f), std::make_tuple(true, false, true));
}

TEST_F(ManagerTest, AFileIsAlwaysShownFromItsTop) {
    QByteArray lines;
    for (int i = 0; i < 300; ++i) {
        lines += "Zeile " + QByteArray::number(i) + ' ' + QByteArray(300, 'w') + "\r\n";
    }
    put(u"clipbrd.dat"_s, lines);
    put(u"a.txt"_s, lines);
    put(u"b.txt"_s, lines);
    Form5& f = open();
    TextBox* box = f.Text3;
    const struct {
        const char* how;
        std::function<void()> show;
    } rows[] = {
        {"the file shown, clicked again",
         [&] { clickOn(f.Liste1->viewport(), f.Liste1->visualItemRect(f.Liste1->item(0)).center()); }},
        {"another file of the same length", [&] { Form5::selectEntry(f.Liste2, u"a.txt"_s); }},
        {"the file shown, chosen again", [&] { Form5::selectEntry(f.Liste2, u"a.txt"_s); }},
    };
    for (const auto& row : rows) {
        box->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
        box->SendScintilla(QsciScintillaBase::SCI_SETXOFFSET, 200UL);
        settle();
        ASSERT_GT(box->SendScintilla(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE), 200) << row.how;
        row.show();
        settle();
        EXPECT_EQ(box->SendScintilla(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE), 0) << row.how;
        EXPECT_EQ(box->SendScintilla(QsciScintillaBase::SCI_GETXOFFSET), 0) << row.how;
        EXPECT_EQ(box->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS), 0) << row.how;
        EXPECT_EQ(box->bytes(), lines) << row.how;
    }
}

TEST_F(ManagerTest, LargeFilesLoadAndSaveWhileTheWindowStaysResponsive) {
    QByteArray big;
    for (int i = 0; big.size() < 3 * TextBox::kSyncLimit; ++i) {
        big += "Zeile " + QByteArray::number(i) + " mit etwas Text\r\n";
    }
    put(u"clipbrd.dat"_s, big);
    put(u"klein.txt"_s, "klein\r\n");
    const auto waitWhile = [](const auto& busy) {
        QElapsedTimer clock;
        for (clock.start(); busy() && clock.elapsed() < 20000; QThread::msleep(2)) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        ASSERT_FALSE(busy());
    };
    Form5& f = open();
    // The opener returns at once; the box is read-only until the text is there.
    EXPECT_TRUE(f.Text3->loading());
    EXPECT_TRUE(f.Text3->isReadOnly());
    waitWhile([&] { return f.Text3->loading(); });
    EXPECT_FALSE(f.Text3->isReadOnly());
    EXPECT_EQ(f.Text3->text(), QString::fromLatin1(big));
    EXPECT_EQ(buttons(f), std::make_tuple(false, false, true));

    // A choice made while a large file still loads wins over it.
    ASSERT_TRUE(Form5::selectEntry(f.Liste1, u"clipbrd.dat"_s));
    EXPECT_TRUE(f.Text3->loading());
    ASSERT_TRUE(Form5::selectEntry(f.Liste2, u"klein.txt"_s));
    EXPECT_FALSE(f.Text3->loading());
    EXPECT_EQ(f.Text3->text(), u"klein\r\n"_s);
    QThread::msleep(1000);
    settle();
    EXPECT_EQ(f.Text3->text(), u"klein\r\n"_s);
    EXPECT_EQ(m_form1->form5()->textFile(), files() + u"klein.txt"_s);

    // A large text is written in the background; the window waits, and leaving waits for it.
    ASSERT_TRUE(Form5::selectEntry(f.Liste1, u"clipbrd.dat"_s));
    waitWhile([&] { return f.Text3->loading(); });
    typeText(f.Text3, u"x"_s);
    f.Befehl2_Click();
    ASSERT_TRUE(f.saving());
    EXPECT_TRUE(f.Text3->isReadOnly());
    EXPECT_FALSE(f.Frame3D1->isEnabled() || f.Frame3D2->isEnabled() || f.Befehl2->isEnabled());
    f.Befehl1_Click();
    EXPECT_FALSE(f.close());
    EXPECT_FALSE(m_form1->isVisible());
    waitWhile([&] { return m_form1->form5() && m_form1->form5()->saving(); });
    EXPECT_EQ(file(u"clipbrd.dat"_s), "x" + big);
    EXPECT_TRUE(shown().isEmpty());
    destroyDeferred();

    // Leaving while a file loads.
    Form5& g = open();
    EXPECT_TRUE(g.Text3->loading());
    leave();
}

} // namespace
