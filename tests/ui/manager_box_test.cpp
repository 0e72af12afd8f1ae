// The manager's text box behaves as a plain text box: its keys, its menu, its scroll range;
// and Return and Escape in the manager's panels.
#include "tests/ui/managerfixture.h"
#include "ui/lists/dirlistbox.h"
#include "ui/manager/finddialog.h"

#include <QClipboard>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTreeWidgetItemIterator>
#include <QWheelEvent>

namespace {

class KeysTest : public ManagerFixture {};

constexpr auto kCtrl = Qt::ControlModifier;
constexpr auto kShift = Qt::ShiftModifier;

TEST_F(KeysTest, OnlyPlainTextBoxKeysTabLeavesTheBoxAndTheMenuIsGerman) {
    put(u"clipbrd.dat"_s, "eins\r\nzwei\r\n");
    Form5& f = open();
    TextBox* box = f.Text3;
    f.activateWindow();
    box->setFocus();
    settle();
    ASSERT_EQ(QApplication::focusWidget(), box);

    // Editor keys that a plain text box lacks change nothing: no line cut, duplicated,
    // swapped or recased, no zoom.
    const struct {
        int key;
        Qt::KeyboardModifiers mods;
    } inert[] = {{Qt::Key_L, kCtrl},    {Qt::Key_D, kCtrl},          {Qt::Key_T, kCtrl},
                 {Qt::Key_U, kCtrl},    {Qt::Key_U, kCtrl | kShift}, {Qt::Key_L, kCtrl | kShift},
                 {Qt::Key_Plus, kCtrl}, {Qt::Key_Minus, kCtrl},      {Qt::Key_Escape, {}},
                 {Qt::Key_Insert, {}},  {Qt::Key_Backspace, kCtrl},  {Qt::Key_Delete, kCtrl}};
    for (const auto& k : inert) {
        pressKey(box, k.key, k.key < 0x100 ? QString(QChar(k.key & 0x1f)) : QString(), k.mods);
        EXPECT_EQ(box->text(), u"eins\r\nzwei\r\n"_s) << "key " << k.key;
    }
    QWheelEvent wheel(QPointF(20, 20), QPointF(box->mapToGlobal(QPoint(20, 20))), {}, QPoint(0, 120),
                      Qt::NoButton, kCtrl, Qt::NoScrollPhase, false);
    QApplication::sendEvent(box->viewport(), &wheel);
    EXPECT_EQ(box->SendScintilla(QsciScintillaBase::SCI_GETZOOM), 0);
    EXPECT_FALSE(f.Befehl2->isEnabled());

    // The keys it has: moving, selecting, Shift+Return for a line end, Ctrl+Tab for a tab.
    pressKey(box, Qt::Key_End, {}, kCtrl | kShift); // nothing after the last line end
    pressKey(box, Qt::Key_Home, {}, kCtrl);
    pressKey(box, Qt::Key_Right, {}, kCtrl | kShift);
    pressKey(box, Qt::Key_C, u"\x03"_s, kCtrl);
    pressKey(box, Qt::Key_End);
    pressKey(box, Qt::Key_Return, u"\r"_s, kShift);
    pressKey(box, Qt::Key_Tab, u"\t"_s, kCtrl);
    pressKey(box, Qt::Key_V, u"\x16"_s, kCtrl);
    EXPECT_EQ(box->text(), u"eins\r\n\teins\r\nzwei\r\n"_s);
    EXPECT_TRUE(f.Befehl2->isEnabled());
    pressKey(box, Qt::Key_Z, u"\x1a"_s, kCtrl);
    pressKey(box, Qt::Key_Z, u"\x1a"_s, kCtrl);
    pressKey(box, Qt::Key_Z, u"\x1a"_s, kCtrl);
    EXPECT_EQ(box->text(), u"eins\r\nzwei\r\n"_s);

    // Tab and Shift+Tab leave the box like any other control.
    pressKey(box, Qt::Key_Tab, u"\t"_s);
    EXPECT_NE(QApplication::focusWidget(), box);
    EXPECT_TRUE(f.isAncestorOf(QApplication::focusWidget()));
    pressKey(QApplication::focusWidget(), Qt::Key_Backtab, {}, kShift);
    EXPECT_EQ(QApplication::focusWidget(), box);
    EXPECT_EQ(box->text(), u"eins\r\nzwei\r\n"_s);

    // The context menu in German, from Qt's own translations.
    QStringList captions;
    std::unique_ptr<QMenu> menu(box->createContextMenu());
    for (QAction* a : menu->actions()) {
        if (!a->isSeparator()) {
            captions.append(a->text().section(u'\t', 0, 0));
        }
    }
    EXPECT_EQ(captions, (QStringList{u"&Rückgängig"_s, u"Wieder&herstellen"_s, u"&Ausschneiden"_s,
                                     u"&Kopieren"_s, u"Einf&ügen"_s, u"Löschen"_s, u"Alles auswählen"_s}));

    // The keys the menu shows for undo and redo (they follow the desktop) do that, and both
    // redo keys redo.
    const QString shownUndo = menu->actions().at(0)->text().section(u'\t', 1);
    const QString shownRedo = menu->actions().at(1)->text().section(u'\t', 1);
    const auto press = [box](const QKeySequence& keys) {
        pressKey(box, keys[0].key(), {}, keys[0].keyboardModifiers());
    };
    for (const QString& redo : {shownRedo, u"Strg+Y"_s, u"Strg+Umschalt+Z"_s}) {
        pressKey(box, Qt::Key_End, {}, kCtrl);
        typeText(box, u"!"_s);
        press(QKeySequence::fromString(shownUndo, QKeySequence::NativeText));
        EXPECT_EQ(box->text(), u"eins\r\nzwei\r\n"_s) << shownUndo.toStdString();
        press(QKeySequence::fromString(redo, QKeySequence::NativeText));
        EXPECT_EQ(box->text(), u"eins\r\nzwei\r\n!"_s) << redo.toStdString();
        pressKey(box, Qt::Key_Z, u"\x1a"_s, kCtrl);
    }
}

TEST_F(KeysTest, ReturnPressesTheFocusedButtonEscapeCancelsRenamingAndTheScrollRangeFollowsTheFile) {
    put(u"clipbrd.dat"_s, QByteArray(3000, 'w') + "\r\n");
    put(u"kurz.txt"_s, "kurz\r\n");
    Form5& f = open();
    const auto scrollWidth = [&f] {
        f.Text3->grab();
        return f.Text3->SendScintilla(QsciScintillaBase::SCI_GETSCROLLWIDTH);
    };
    EXPECT_GT(scrollWidth(), 3000);
    ASSERT_TRUE(Form5::selectEntry(f.Liste2, u"kurz.txt"_s));
    EXPECT_LT(scrollWidth(), f.Text3->width());

    // Escape in the rename panel is "Abbruch"; Return on a focused button presses it.
    f.Befehl7->setFocus();
    pressKey(f.Befehl7, Qt::Key_Return, u"\r"_s);
    ASSERT_TRUE(f.Frame3D7->isVisible());
    pressKey(f.Text2, Qt::Key_Escape);
    EXPECT_FALSE(f.Frame3D7->isVisible());
    EXPECT_TRUE(shown().isEmpty());
    pressKey(f.Befehl7, Qt::Key_Enter, u"\r"_s, Qt::KeypadModifier);
    ASSERT_TRUE(f.Frame3D7->isVisible());
    f.Befehl12->setFocus();
    pressKey(f.Befehl12, Qt::Key_Return, u"\r"_s);
    EXPECT_FALSE(f.Frame3D7->isVisible());
    EXPECT_EQ(file(u"kurz.txt"_s), "kurz\r\n");
}

TEST_F(KeysTest, OverLongLinesAreBrokenOnScreenOnlyAndTheTextStaysExact) {
    QByteArray line;
    for (int i = 0; i < 700; ++i) {
        line += "wort ";
    }
    for (int i = 0; i < 1500; ++i) {
        line += "\xc3\xa4"; // ä, without blanks
    }
    const QByteArray content = line + "\r\nkurz\r\n";
    put(u"lang.txt"_s, content);
    put(u"clipbrd.dat"_s, "x\r\n");
    Form5& f = open();
    TextBox* box = f.Text3;
    ASSERT_TRUE(Form5::selectEntry(f.Liste2, u"lang.txt"_s));
    const auto send = [box](unsigned msg, unsigned long w = 0, long l = 0) {
        return box->SendScintilla(msg, w, l);
    };
    const long lines = send(QsciScintillaBase::SCI_GETLINECOUNT);
    EXPECT_GE(lines, 7);
    for (long l = 0; l < lines; ++l) {
        EXPECT_LE(send(QsciScintillaBase::SCI_LINELENGTH, l), 502) << l;
    }
    // Breaks go after a blank, or between characters.
    EXPECT_EQ(send(QsciScintillaBase::SCI_GETCHARAT, send(QsciScintillaBase::SCI_GETLINEENDPOSITION, 0) - 1),
              ' ');
    EXPECT_EQ(box->text().toUtf8(), content);

    // Edits, copies, undo and redo at the breaks: manager_model_test.cpp.
    // A long line pasted is broken on screen too, undone and redone whole.
    QApplication::clipboard()->setText(QString(3000, u'ß') + u'\n');
    send(QsciScintillaBase::SCI_DOCUMENTEND);
    pressKey(box, Qt::Key_V, u"\x16"_s, kCtrl);
    const QByteArray pasted = content + QString(3000, u'ß').toUtf8() + "\r\n";
    EXPECT_EQ(box->text().toUtf8(), pasted);
    const long brokenLines = send(QsciScintillaBase::SCI_GETLINECOUNT);
    EXPECT_GE(brokenLines, lines + 6);
    pressKey(box, Qt::Key_Z, u"\x1a"_s, kCtrl);
    EXPECT_EQ(box->text().toUtf8(), content);
    pressKey(box, Qt::Key_Y, u"\x19"_s, kCtrl);
    settle();
    EXPECT_EQ(box->text().toUtf8(), pasted);
    EXPECT_EQ(send(QsciScintillaBase::SCI_GETLINECOUNT), brokenLines);

    // So is a long line dropped from elsewhere, selected as dropped.
    send(QsciScintillaBase::SCI_DOCUMENTSTART);
    QMimeData dropped;
    dropped.setText(QString(1200, u'q'));
    QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, &dropped, Qt::LeftButton, {});
    QApplication::sendEvent(box->viewport(), &enter);
    QDropEvent drop(QPointF(1, 1), Qt::CopyAction, &dropped, Qt::LeftButton, {});
    QApplication::sendEvent(box->viewport(), &drop);
    EXPECT_EQ(box->text().toUtf8(), QByteArray(1200, 'q') + pasted);
    EXPECT_EQ(send(QsciScintillaBase::SCI_GETLINECOUNT), brokenLines + 2);
    EXPECT_EQ(send(QsciScintillaBase::SCI_GETSELECTIONEND), 1202);

    // A rectangle copied in another editor goes in as plain text, at the caret.
    QsciScintilla other;
    other.setText(u"ab\r\ncd\r\n"_s);
    other.SendScintilla(QsciScintillaBase::SCI_SETRECTANGULARSELECTIONANCHOR, 0UL);
    other.SendScintilla(QsciScintillaBase::SCI_SETRECTANGULARSELECTIONCARET, 5UL);
    ASSERT_NE(other.SendScintilla(QsciScintillaBase::SCI_SELECTIONISRECTANGLE), 0);
    other.copy();
    send(QsciScintillaBase::SCI_DOCUMENTSTART);
    pressKey(box, Qt::Key_V, u"\x16"_s, kCtrl);
    EXPECT_EQ(box->text().toUtf8(), "a\r\nc\r\n" + QByteArray(1200, 'q') + pasted);
}

TEST_F(KeysTest, FindSelectsTheNextMatchRoundTheEndAndSaysWhenItWrapsOrFindsNothing) {
    QByteArray line;
    for (int i = 0; i < 600; ++i) {
        line += QByteArray::number(10000 + i) + ' ';
    }
    const QByteArray head = "eins Ziel zwei\r\nziel drei\r\n";
    put(u"clipbrd.dat"_s, head + line + "\r\n");
    Form5& f = open();
    TextBox* box = f.Text3;
    auto* find = f.findChild<FindDialog*>();
    ASSERT_TRUE(find);
    const auto selection = [box] {
        return std::pair(box->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART),
                         box->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONEND));
    };
    const auto done = [&] {
        while (box->searching()) {
            QCoreApplication::processEvents();
        }
    };

    pressKey(box, Qt::Key_F, u"\x06"_s, kCtrl);
    ASSERT_TRUE(find->isVisible());
    EXPECT_EQ(find->windowTitle(), u"Suchen"_s);
    EXPECT_FALSE(find->FindNext->isEnabled());
    typeText(find->What, u"ziel"_s);
    pressKey(find->What, Qt::Key_Return, u"\r"_s);
    done();
    EXPECT_EQ(selection(), std::pair(5L, 9L));
    pressKey(box, Qt::Key_F3);
    done();
    EXPECT_EQ(selection(), std::pair(16L, 20L));
    EXPECT_TRUE(shown().isEmpty());
    pressKey(box, Qt::Key_F3);
    done();
    EXPECT_EQ(selection(), std::pair(5L, 9L));
    EXPECT_EQ(said(),
              std::pair(u"Ende des Textes erreicht, die Suche ging am Anfang weiter."_s, Icon::Information));
    pressKey(box, Qt::Key_F3, {}, kShift);
    done();
    EXPECT_EQ(selection(), std::pair(16L, 20L));
    EXPECT_EQ(said().first, u"Anfang des Textes erreicht, die Suche ging am Ende weiter."_s);

    // Case counts when asked; nothing found is said.
    find->MatchCase->setChecked(true);
    find->What->setText(u"ZIEL"_s);
    find->FindNext->click();
    done();
    EXPECT_EQ(said().first, u"„ZIEL“ wurde nicht gefunden."_s);
    EXPECT_EQ(selection(), std::pair(16L, 20L));

    // A match across a break made on screen only.
    const long lineBreak = box->SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, 2);
    const long inText = lineBreak - long(head.size());
    find->What->setText(QString::fromLatin1(line.mid(inText - 6, 11)));
    find->FindNext->click();
    done();
    EXPECT_EQ(selection(), std::pair(lineBreak - 6, lineBreak + 6));

    pressKey(find->What, Qt::Key_Escape);
    EXPECT_FALSE(find->isVisible());
}

TEST_F(KeysTest, ASearchStartedDuringALongOneTakesItsPlaceAndGoesOnePieceAtATime) {
    QByteArray big;
    for (int i = 0; big.size() < 9 * 1024 * 1024; ++i) {
        big += "Zeile " + QByteArray::number(i) + " mit Text\r\n";
    }
    put(u"clipbrd.dat"_s, big + "Ziel\r\n");
    Form5& f = open();
    TextBox* box = f.Text3;
    while (box->loading()) {
        QCoreApplication::processEvents();
    }
    std::vector<TextBox::Found> told;
    QObject::connect(box, &TextBox::searched, box, [&told](TextBox::Found found) { told.push_back(found); });
    // The turns of the event loop a search takes, one piece each.
    const auto turns = [box] {
        int n = 0;
        for (; box->searching(); ++n) {
            QCoreApplication::sendPostedEvents(box, QEvent::MetaCall);
        }
        return n;
    };
    box->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, 0UL);
    box->find(u"Ziel"_s, true, true);
    const int alone = turns();
    EXPECT_GE(alone, 3);
    ASSERT_EQ(told, std::vector{TextBox::Found::Match});
    EXPECT_EQ(box->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART), long(big.size()));

    // A search for what is not there, and a new one while it runs: the new one alone goes on, at
    // its own pace, and only it tells how it went.
    told.clear();
    box->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, 0UL);
    box->find(u"fehlt"_s, true, true);
    QCoreApplication::sendPostedEvents(box, QEvent::MetaCall);
    ASSERT_TRUE(box->searching());
    box->find(u"Ziel"_s, true, true);
    EXPECT_EQ(turns(), alone);
    EXPECT_EQ(told, std::vector{TextBox::Found::Match});
    EXPECT_EQ(box->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART), long(big.size()));
}

TEST_F(KeysTest, TheCopyPanelShowsLongNamesKeepsThePathInViewAndSaysWhenItCannotOpen) {
    const QString longName(80, u'L');
    QString deep = files();
    for (const char* d : {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k"}) {
        deep += QString::fromLatin1(d) + u'/';
    }
    ASSERT_TRUE(QDir().mkpath(deep + longName) && QDir().mkpath(deep + u"zu"_s));
    put(u"clipbrd.dat"_s, "x\r\n");
    Form5& f = open();
    f.Command1->click();
    DirListBox* dirs = f.Verzeichnis1;
    dirs->setPath(deep);
    settle();
    // The opened directory in view, with as much of the way to it as fits.
    const QRect current = dirs->visualItemRect(dirs->currentItem());
    EXPECT_TRUE(current.top() >= 0 && current.bottom() < dirs->viewport()->height()) << current.y();
    EXPECT_TRUE(dirs->horizontalScrollBar()->maximum() > 0);
    EXPECT_GT(dirs->header()->sectionSize(0), dirs->viewport()->width());

    // A directory that cannot be opened (gone since it was listed) says so.
    const auto found = dirs->findItems(u"zu"_s, Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_FALSE(found.isEmpty());
    ASSERT_TRUE(QDir(deep + u"zu"_s).removeRecursively());
    emit dirs->itemActivated(found.first(), 0);
    EXPECT_EQ(said(), std::make_pair(u"Das Verzeichnis "_s + deep + u"zu kann nicht geöffnet werden !   "_s,
                                     Icon::Exclamation));
    EXPECT_EQ(dirs->path(), QDir::cleanPath(deep));
}

} // namespace
