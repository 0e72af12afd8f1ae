// The collection directory chooser, opened from the main window's menu, on real directories.
#include "tests/support/fixture.h"
#include "tests/support/uievents.h"

#include "ui/chooser/browser.h"

#include <QTreeWidgetItemIterator>
#include <QWindow>

namespace {

using Icon = MessageBoxes::Icon;
using Buttons = MessageBoxes::Buttons;
using Answer = MessageBoxes::Answer;

class ChooserTest : public AppFixture {
protected:
    Browser* open() {
        m_form1->mnuSammel_Click();
        return m_form1->browser();
    }

    // The names the directory list shows, top to bottom.
    static QStringList rows(Browser* b) {
        QStringList names;
        for (QTreeWidgetItemIterator it(b->Dir1); *it; ++it) {
            names.append((*it)->text(0));
        }
        return names;
    }

    static void openRow(Browser* b, const QString& name) {
        const auto found = b->Dir1->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_FALSE(found.isEmpty()) << name.toStdString();
        doubleClickOn(b->Dir1->viewport(), b->Dir1->visualItemRect(found.first()).center());
    }

    QStringList shownMessages() const {
        QStringList out;
        for (const auto& m : m_fake->messages.shown) {
            out.append(m.text);
        }
        return out;
    }
};

TEST_F(ChooserTest, OpensOnTheCollectionDirectoryBrowsesShowsOnlyReadablePlacesAndCancels) {
    start();
    ASSERT_TRUE(QDir().mkpath(files() + u"Alpha.2024/Tief"_s) && QDir().mkpath(files() + u"beta"_s));
    for (const auto& name : {u"b.bmp"_s, u"a.txt"_s, u".versteckt"_s, u"Alpha.2024/notiz.txt"_s}) {
        writeFile(files() + name, "x");
    }

    Browser* b = open();
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(b->isVisible() && b->isEnabled());
    EXPECT_FALSE(m_form1->isEnabled());
    EXPECT_EQ(b->windowHandle()->transientParent(), m_form1->windowHandle());

    // The box shows SavePath with its final separator, the lists the same directory: from the
    // root down to it, then its subdirectories.
    EXPECT_EQ(b->Text2->text(), files());
    EXPECT_EQ(b->Dir1->path(), QDir::cleanPath(files()));
    EXPECT_EQ(b->File1->names(), (QStringList{u"a.txt"_s, u"b.bmp"_s}));
    EXPECT_TRUE(files().startsWith(b->Drive1->drive()));
    EXPECT_EQ(rows(b), (QStringList{u"/"_s} + QDir::cleanPath(files()).split(u'/', Qt::SkipEmptyParts) +
                        QStringList{u"Alpha.2024"_s, u"beta"_s}));

    // Tab order: drive, directories, files, path box, "Übernehmen", "Abbrechen".
    QList<QWidget*> chain;
    for (QWidget* w = b->Drive1; chain.size() < 6; w = w->nextInFocusChain()) {
        if (w->focusPolicy() != Qt::NoFocus && b->isAncestorOf(w)) {
            chain.append(w);
        }
    }
    EXPECT_EQ(chain, (QList<QWidget*>{b->Drive1, b->Dir1, b->File1, b->Text2, b->Command1, b->Command2}));

    // A double click opens a directory; text from the lists is not filtered: the dot stays.
    const QString sub = files() + u"Alpha.2024"_s;
    openRow(b, u"Alpha.2024"_s);
    EXPECT_EQ(b->Dir1->path(), sub);
    EXPECT_EQ(b->File1->names(), QStringList{u"notiz.txt"_s});
    EXPECT_EQ(b->Text2->text(), sub + u'/');
    EXPECT_EQ(rows(b).last(), u"Tief"_s);

    // "Übernehmen" with an empty box does nothing.
    b->Text2->clear();
    click(b->Command1);
    EXPECT_TRUE(b->isVisible());
    EXPECT_FALSE(m_form1->isEnabled());

    // "Abbrechen" changes nothing, enables the main window and discards the chooser.
    click(b->Command2);
    EXPECT_FALSE(b->isVisible());
    EXPECT_TRUE(m_form1->isEnabled());
    EXPECT_EQ(m_state.SavePath, files());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(m_form1->browser(), nullptr);

    // The next opening is a new chooser on SavePath, not where the user had browsed. The
    // collection directory has gone since: the lists show the nearest place above it.
    writeFile(m_appPath + u"snapwell.ini"_s, "x");
    ASSERT_TRUE(QDir(files()).removeRecursively());
    b = open();
    EXPECT_EQ(b->Dir1->path(), QDir::cleanPath(m_appPath));
    EXPECT_EQ(b->File1->names(), QStringList{u"snapwell.ini"_s});
    EXPECT_EQ(b->Text2->text(), files());

    // A directory that vanishes between listing and opening.
    ASSERT_TRUE(QDir().mkpath(m_appPath + u"Fluechtig"_s));
    b->Dir1->setPath(m_appPath);
    ASSERT_TRUE(QDir(m_appPath + u"Fluechtig"_s).removeRecursively());
    openRow(b, u"Fluechtig"_s);
    ASSERT_EQ(shownMessages(), QStringList{u"Das Verzeichnis "_s + m_appPath +
                                           u"Fluechtig kann nicht geöffnet werden !   "_s});
    EXPECT_EQ(b->Dir1->path(), QDir::cleanPath(m_appPath));
    EXPECT_FALSE(rows(b).contains(u"Fluechtig"_s));

    // A drive that is not ready: the lists go to the nearest place that can be read.
    m_fake->messages.shown.clear();
    QList<Drive> drives = b->Drive1->drives();
    drives.append({u"Stick"_s, m_dir.path() + u"/stick"_s});
    b->Drive1->setDrives(drives);
    b->Drive1->setCurrentIndex(int(drives.size()) - 1);
    ASSERT_EQ(shownMessages(),
              QStringList{u"Das Laufwerk "_s + m_dir.path() + u"/stick ist nicht bereit !   "_s});
    EXPECT_EQ(b->Dir1->path(), m_dir.path());
    EXPECT_EQ(b->Text2->text(), m_dir.path() + u'/');
    EXPECT_EQ(b->Drive1->currentIndex(), driveIndexFor(drives, m_dir.path()));

    // A drive opens on the directory last shown on it, not on its root.
    const QString a = m_dir.path() + u"/a"_s, deep = a + u"/x/y"_s, other = m_dir.path() + u"/b"_s;
    ASSERT_TRUE(QDir().mkpath(deep) && QDir().mkpath(other));
    b->Drive1->setDrives({{u"A"_s, a}, {u"B"_s, other}});
    b->Dir1->setPath(deep);
    b->Drive1->setCurrentIndex(1);
    EXPECT_EQ(b->Dir1->path(), other);
    b->Drive1->setCurrentIndex(0);
    EXPECT_EQ(b->Dir1->path(), deep);
    EXPECT_EQ(b->Text2->text(), deep + u'/');

    // Escape in any of its controls is "Abbrechen".
    pressKey(b->Dir1, Qt::Key_Escape);
    EXPECT_FALSE(b->isVisible());
    EXPECT_TRUE(m_form1->isEnabled());
}

TEST_F(ChooserTest, UebernehmenTakesAnExistingOrCreatedDirectoryAndRefusesWhatCannotBeTaken) {
    start();
    writeFile(m_dir.path() + u"/Datei"_s, "x");
    writeFile(files() + u"1.txt"_s, "x");
    m_form1->refreshFileLists();
    m_form1->showCounters();
    Browser* b = open();

    // Each leaves SavePath, the chooser and the main window's counter as they were.
    const struct {
        QString typed;
        QList<Answer> answers;
        QStringList messages;
        Icon last;
    } refused[] = {
        {m_dir.path() + u"/Nie"_s,
         {Answer::No},
         {u"Der Pfad "_s + m_dir.path() + u"/Nie/ existiert nicht. Erstellen ?  "_s},
         Icon::Question},
        // A file stands where a directory level should be.
        {m_dir.path() + u"/Datei/Unter"_s,
         {},
         {u"Der Pfad "_s + m_dir.path() + u"/Datei/Unter/ existiert nicht. Erstellen ?  "_s,
          u"Der Pfad "_s + m_dir.path() + u"/Datei/Unter/ konnte nicht erstellt werden !   "_s},
         Icon::Exclamation},
        // Relative to nothing the user can see.
        {u"ablage/unter"_s,
         {},
         {u"Der Pfad ablage/unter ist kein vollständiger Pfad !   "_s},
         Icon::Exclamation},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.typed.toStdString());
        m_fake->messages.shown.clear();
        m_fake->messages.answers = c.answers;
        b->Text2->setText(c.typed);
        click(b->Command1);
        EXPECT_EQ(shownMessages(), c.messages);
        const auto last = m_fake->messages.shown.value(m_fake->messages.shown.size() - 1);
        const bool asked = c.last == Icon::Question;
        EXPECT_EQ(std::tuple(last.icon, last.buttons, last.title),
                  std::tuple(c.last, asked ? Buttons::YesNo : Buttons::Ok,
                             asked ? u"Pelloran's Snapwell"_s : u"Pelloran Snapwell"_s));
        EXPECT_EQ(m_state.SavePath, files());
        EXPECT_TRUE(b->isVisible());
        EXPECT_FALSE(m_form1->isEnabled());
        EXPECT_EQ(m_form1->Text2->text(), u"1"_s);
    }
    EXPECT_FALSE(QFileInfo::exists(m_dir.path() + u"/Nie"_s));
    EXPECT_TRUE(QFileInfo(m_dir.path() + u"/Datei"_s).isFile());
    EXPECT_FALSE(QFileInfo::exists(QDir::currentPath() + u"/ablage/unter"_s));

    // An existing directory, typed without its final separator, is taken at once.
    const QString other = m_dir.path() + u"/Vorhanden"_s;
    ASSERT_TRUE(QDir().mkpath(other));
    for (const char16_t* name : {u"1.txt", u"2.txt", u"1.bmp", u"scr1.bmp", u"1.wmf", u"backup.dat"}) {
        writeFile(other + u'/' + QString::fromUtf16(name), "x");
    }
    m_fake->messages.shown.clear();
    b->Text2->setText(other);
    click(b->Command1);
    EXPECT_TRUE(m_fake->messages.shown.isEmpty()) << shownMessages().join(u'|').toStdString();
    EXPECT_EQ(m_state.SavePath, other + u'/');
    EXPECT_FALSE(b->isVisible());
    EXPECT_TRUE(m_form1->isEnabled());
    EXPECT_EQ(m_form1->Text2->text(), u"2"_s);
    EXPECT_EQ(m_form1->Text4->text(), u"3"_s);
    EXPECT_EQ(m_form1->Label11->text(), u"Textdaten vorhanden"_s);

    // Typed punctuation is swallowed; a missing path answered Yes is created and taken.
    b = open();
    b->Text2->setFocus();
    b->Text2->end(false);
    typeText(b->Text2, u"Neu.er:Ordner/Unter,1*2;3\"4\\5"_s);
    const QString target = other + u"/NeuerOrdner/Unter12345"_s;
    EXPECT_EQ(b->Text2->text(), target);
    click(b->Command1);
    EXPECT_EQ(shownMessages(), QStringList{u"Der Pfad "_s + target + u"/ existiert nicht. Erstellen ?  "_s});
    EXPECT_TRUE(QFileInfo(target).isDir());
    EXPECT_EQ(m_state.SavePath, target + u'/');
    EXPECT_FALSE(b->isVisible());
}

} // namespace
