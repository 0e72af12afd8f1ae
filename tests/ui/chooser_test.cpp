// The collection directory chooser, opened from the main window's menu, on real directories.
#include "tests/support/fixture.h"
#include "tests/support/uievents.h"

#include "ui/chooser/browser.h"
#include "ui/main/form1.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QWindow>

using namespace Qt::StringLiterals;

namespace {

using Icon = MessageBoxes::Icon;
using Buttons = MessageBoxes::Buttons;
using Answer = MessageBoxes::Answer;

class ChooserTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        m_root = m_dir.path() + u"/ablage"_s;
        ASSERT_TRUE(QDir().mkpath(m_root));
    }

    Browser* open() {
        m_form1->mnuSammel_Click();
        return m_form1->browser();
    }

    static QTreeWidgetItem* row(Browser* b, const QString& name) {
        const auto found = b->Dir1->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.first();
    }

    static void openRow(Browser* b, const QString& name) {
        QTreeWidgetItem* item = row(b, name);
        ASSERT_NE(item, nullptr) << name.toStdString();
        doubleClickOn(b->Dir1->viewport(), b->Dir1->visualItemRect(item).center());
    }

    // Types a path into the chooser's box and presses "Übernehmen".
    static void take(Browser* b, const QString& path) {
        b->Text2->setText(path);
        click(b->Command1);
    }

    QStringList shownMessages() const {
        QStringList out;
        for (const auto& m : m_fake->messages.shown) {
            out.append(m.text);
        }
        return out;
    }

    QString m_root;
};

TEST_F(ChooserTest, OpensOnTheCollectionDirectoryBrowsesAndCancellingOrAnEmptyBoxChangesNothing) {
    start();
    ASSERT_TRUE(QDir().mkpath(files() + u"Alpha.2024/Tief"_s) && QDir().mkpath(files() + u"beta"_s));
    for (const auto& name : {u"b.bmp"_s, u"a.txt"_s, u".versteckt"_s, u"Alpha.2024/notiz.txt"_s}) {
        writeFile(files() + name, "x");
    }

    Browser* b = open();
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(b->isVisible() && b->isEnabled());
    EXPECT_EQ(b->windowTitle(), u"Sammel-Verzeichnis auswählen:"_s);
    EXPECT_TRUE(b->windowFlags().testFlag(Qt::Tool));
    EXPECT_FALSE(b->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_EQ(b->minimumSize(), b->maximumSize());
    EXPECT_FALSE(m_form1->isEnabled());
    EXPECT_EQ(b->windowHandle()->transientParent(), m_form1->windowHandle());

    // The box shows SavePath with its final separator, the lists the same directory.
    EXPECT_EQ(b->Text2->text(), files());
    EXPECT_EQ(b->Dir1->path(), QDir::cleanPath(files()));
    EXPECT_EQ(b->File1->names(), (QStringList{u"a.txt"_s, u"b.bmp"_s}));
    EXPECT_TRUE(files().startsWith(b->Drive1->drive()));

    // From the root down to the directory, then its subdirectories.
    QStringList rows, expected{u"/"_s};
    for (int i = 0; i < b->Dir1->rowCount(); ++i) {
        rows.append(b->Dir1->rowPath(i));
    }
    for (const QString& part : QDir::cleanPath(files()).split(u'/', Qt::SkipEmptyParts)) {
        expected.append(expected.size() == 1 ? u'/' + part : expected.last() + u'/' + part);
    }
    EXPECT_EQ(rows, expected << files() + u"Alpha.2024"_s << files() + u"beta"_s);

    // Tab order: drive, directories, files, path box, "Übernehmen", "Abbrechen".
    QList<QWidget*> chain{b->Drive1};
    while (chain.size() < 6) {
        QWidget* next = chain.last()->nextInFocusChain();
        while (next->focusPolicy() == Qt::NoFocus || !b->isAncestorOf(next)) {
            next = next->nextInFocusChain();
        }
        chain.append(next);
    }
    EXPECT_EQ(chain, (QList<QWidget*>{b->Drive1, b->Dir1, b->File1, b->Text2, b->Command1, b->Command2}));

    // A double click opens a directory.
    const QString sub = files() + u"Alpha.2024"_s;
    openRow(b, u"Alpha.2024"_s);
    EXPECT_EQ(b->Dir1->path(), sub);
    EXPECT_EQ(b->File1->names(), QStringList{u"notiz.txt"_s});
    // Text from the lists is not filtered: the dot stays.
    EXPECT_EQ(b->Text2->text(), sub + u'/');
    ASSERT_NE(row(b, u"Tief"_s), nullptr);

    // Up again through an open ancestor.
    openRow(b, u"prog"_s);
    EXPECT_EQ(b->Text2->text(), m_appPath);
    EXPECT_EQ(b->Dir1->path(), QDir::cleanPath(m_appPath));

    // "Übernehmen" with an empty box does nothing.
    take(b, QString());
    EXPECT_TRUE(b->isVisible());
    EXPECT_FALSE(m_form1->isEnabled());

    // "Abbrechen" changes nothing, enables the main window and discards the chooser.
    click(b->Command2);
    EXPECT_FALSE(b->isVisible());
    EXPECT_TRUE(m_form1->isEnabled());
    EXPECT_EQ(m_state.SavePath, files());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(m_form1->browser(), nullptr);

    // The next opening is a new chooser on SavePath, not where the user had browsed.
    b = open();
    EXPECT_EQ(b->Text2->text(), files());
    EXPECT_EQ(b->Dir1->path(), QDir::cleanPath(files()));
    EXPECT_FALSE(m_form1->isEnabled());

    // Closing the window by its frame enables the main window as well.
    b->close();
    EXPECT_TRUE(m_form1->isEnabled());
    EXPECT_EQ(m_state.SavePath, files());
    EXPECT_TRUE(m_fake->messages.shown.isEmpty());
}

TEST_F(ChooserTest, TypedPunctuationIsSwallowedAndAMissingPathAnsweredYesIsCreated) {
    start();
    Browser* b = open();
    b->Text2->setFocus();
    b->Text2->end(false);
    typeText(b->Text2, u"Neu.er:Ordner/Unter,1*2;3\"4\\5"_s);
    const QString target = files() + u"NeuerOrdner/Unter12345"_s;
    EXPECT_EQ(b->Text2->text(), target);
    click(b->Command1);

    ASSERT_EQ(m_fake->messages.shown.size(), 1);
    const auto& q = m_fake->messages.shown.first();
    EXPECT_EQ(q.icon, Icon::Question);
    EXPECT_EQ(q.buttons, Buttons::YesNo);
    EXPECT_EQ(q.title, u"Pelloran's Snapwell"_s);
    EXPECT_EQ(q.text, u"Der Pfad "_s + target + u"/ existiert nicht. Erstellen ?  "_s);
    EXPECT_TRUE(QFileInfo(target).isDir());
    EXPECT_EQ(m_state.SavePath, target + u'/');
    EXPECT_FALSE(b->isVisible());
    EXPECT_TRUE(m_form1->isEnabled());
    EXPECT_EQ(m_form1->Text2->text(), u"0"_s);
    EXPECT_EQ(m_form1->Datei1.path(), target + u'/');
}

TEST_F(ChooserTest, UebernehmenWithAnExistingDirectoryTakesItAtOnceAndCapturesGoThere) {
    start();
    const QString other = m_root + u"/Vorhanden"_s;
    ASSERT_TRUE(QDir().mkpath(other));
    for (const char16_t* name : {u"1.txt", u"2.txt", u"1.bmp", u"scr1.bmp", u"1.wmf", u"backup.dat"}) {
        writeFile(other + u'/' + QString::fromUtf16(name), "x");
    }

    Browser* b = open();
    take(b, other); // without its final separator
    EXPECT_TRUE(m_fake->messages.shown.isEmpty()) << shownMessages().join(u'|').toStdString();
    EXPECT_EQ(m_state.SavePath, other + u'/');
    EXPECT_FALSE(b->isVisible());
    EXPECT_TRUE(m_form1->isEnabled());
    EXPECT_EQ(m_form1->Text2->text(), u"2"_s);
    EXPECT_EQ(m_form1->Text4->text(), u"3"_s);
    EXPECT_EQ(m_form1->Label11->text(), u"Textdaten vorhanden"_s);

    startMonitoring();
    copy(u"Neues Ziel"_s);
    EXPECT_TRUE(readFile(other + u"/clipbrd.dat"_s).startsWith("Neues Ziel"));
    EXPECT_FALSE(QFileInfo::exists(files() + u"clipbrd.dat"_s));
}

TEST_F(ChooserTest, PathsRefusedOrThatCannotBeTakenLeaveSavePathAndCapturesGoOnAsBefore) {
    start();
    writeFile(m_root + u"/Datei"_s, "x");
    writeFile(files() + u"1.txt"_s, "x");
    m_form1->refreshFileLists();
    m_form1->showCounters();
    Browser* b = open();
    m_fake->messages.answers = {Answer::No};
    take(b, m_root + u"/Nie"_s);
    EXPECT_EQ(shownMessages(),
              QStringList{u"Der Pfad "_s + m_root + u"/Nie/ existiert nicht. Erstellen ?  "_s});
    EXPECT_FALSE(QFileInfo::exists(m_root + u"/Nie"_s));
    EXPECT_TRUE(b->isVisible());

    const struct {
        QString typed, message;
        int questions;
    } cases[] = {
        // A file stands where a directory level should be; a file system that takes no directories.
        {m_root + u"/Datei/Unter"_s,
         u"Der Pfad "_s + m_root + u"/Datei/Unter/ konnte nicht erstellt werden !   "_s, 1},
        {u"/proc/snapwell-ablage"_s, u"Der Pfad /proc/snapwell-ablage/ konnte nicht erstellt werden !   "_s,
         1},
        // Relative to nothing the user can see.
        {u"ablage/unter"_s, u"Der Pfad ablage/unter ist kein vollständiger Pfad !   "_s, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        m_fake->messages.shown.clear();
        take(b, c.typed);
        ASSERT_EQ(m_fake->messages.shown.size(), c.questions + 1) << shownMessages().join(u'|').toStdString();
        const auto& report = m_fake->messages.shown.last();
        EXPECT_EQ(report.text, c.message);
        EXPECT_EQ(report.icon, Icon::Exclamation);
        EXPECT_EQ(report.buttons, Buttons::Ok);
        EXPECT_EQ(report.title, u"Pelloran Snapwell"_s);
        EXPECT_EQ(m_state.SavePath, files());
        EXPECT_TRUE(b->isVisible());
        EXPECT_FALSE(m_form1->isEnabled());
        EXPECT_EQ(m_form1->Text2->text(), u"1"_s);
    }
    EXPECT_TRUE(QFileInfo(m_root + u"/Datei"_s).isFile());
    EXPECT_FALSE(QFileInfo::exists(QDir::currentPath() + u"/ablage/unter"_s));

    // Monitoring goes on behind the chooser, into the directory that still exists.
    startMonitoring();
    copy(u"Noch hier"_s);
    EXPECT_TRUE(readFile(files() + u"clipbrd.dat"_s).startsWith("Noch hier"));
}

TEST_F(ChooserTest, UnreadablePlacesLeaveTheChooserOnAReadableOne) {
    start();
    // The collection directory has gone since the start.
    writeFile(m_appPath + u"snapwell.ini"_s, "x");
    ASSERT_TRUE(QDir(files()).removeRecursively());
    Browser* b = open();
    EXPECT_EQ(b->Dir1->path(), QDir::cleanPath(m_appPath));
    EXPECT_EQ(b->File1->names(), QStringList{u"snapwell.ini"_s});
    EXPECT_EQ(b->Text2->text(), files());
    EXPECT_TRUE(m_fake->messages.shown.isEmpty());

    // A directory that vanishes between listing and opening.
    ASSERT_TRUE(QDir().mkpath(m_appPath + u"Fluechtig"_s));
    b->Dir1->setPath(m_appPath);
    ASSERT_NE(row(b, u"Fluechtig"_s), nullptr);
    ASSERT_TRUE(QDir(m_appPath + u"Fluechtig"_s).removeRecursively());
    openRow(b, u"Fluechtig"_s);
    ASSERT_EQ(shownMessages(), QStringList{u"Das Verzeichnis "_s + m_appPath +
                                           u"Fluechtig kann nicht geöffnet werden !   "_s});
    EXPECT_EQ(b->Dir1->path(), QDir::cleanPath(m_appPath));
    EXPECT_EQ(row(b, u"Fluechtig"_s), nullptr);

    // A drive that is not ready: the lists go to the nearest place that can be read.
    m_fake->messages.shown.clear();
    QList<Drive> drives = b->Drive1->drives();
    drives.append({u"Stick"_s, m_root + u"/stick"_s});
    b->Drive1->setDrives(drives);
    b->Drive1->setCurrentIndex(int(drives.size()) - 1);
    ASSERT_EQ(shownMessages(), QStringList{u"Das Laufwerk "_s + m_root + u"/stick ist nicht bereit !   "_s});
    EXPECT_EQ(b->Dir1->path(), m_root);
    EXPECT_EQ(b->Text2->text(), m_root + u'/');
    EXPECT_NE(b->Drive1->drive(), m_root + u"/stick"_s);

    // Still usable: the missing collection directory is created again on request.
    take(b, files());
    EXPECT_TRUE(QFileInfo(files()).isDir());
    EXPECT_EQ(m_state.SavePath, files());
    EXPECT_TRUE(m_form1->isEnabled());
}

} // namespace
