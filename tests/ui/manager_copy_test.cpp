// The text data manager's copy panel: its drive, directory and file lists, copying, CopyPath.
#include "storage/inifile.h"
#include "tests/ui/managerfixture.h"
#include "ui/lists/dirlistbox.h"
#include "ui/lists/drivelistbox.h"
#include "ui/lists/filelistbox.h"

namespace {

using CopyTest = ManagerFixture;

TEST_F(CopyTest, CopiesGoIntoTheOpenedDirectoryOnlyOnceAndTheTargetIsKeptInTheProfile) {
    put(u"clipbrd.dat"_s, "Sammlung\r\n");
    put(u"a.txt"_s, "A\r\n");
    const QString target = m_dir.path() + u"/ziel"_s;
    const QString sub = target + u"/unter"_s;
    ASSERT_TRUE(QDir().mkpath(sub));
    writeFile(target + u"/da.txt"_s, "x");
    start();
    WriteIniString(m_state.AppTitle, u"CopyPath"_s, target, m_state.IniFile);
    Form5& f = open();
    // The panel starts on CopyPath, which is read with a final separator; the drive follows.
    EXPECT_EQ(m_form1->form5()->copyPath(), target + u"/"_s);
    EXPECT_EQ(f.Verzeichnis1->path(), target);
    EXPECT_EQ(f.Laufwerk1->currentIndex(), driveIndexFor(f.Laufwerk1->drives(), target));

    f.Liste1->clearSelection();
    f.Command1_Click();
    EXPECT_EQ(said(), std::pair(u"Keine Text-Sammeldatei markiert !   "_s, Icon::Information));
    f.Befehl6_Click();
    EXPECT_EQ(said().first, u"Kein Text markiert !   "_s);
    EXPECT_FALSE(f.Frame3D5->isVisible());

    // The button that opens the panel fixes what is copied.
    ASSERT_TRUE(Form5::selectEntry(f.Liste2, u"a.txt"_s));
    f.Befehl6_Click();
    EXPECT_TRUE(f.Frame3D5->isVisible());
    EXPECT_EQ(f.Bezeichnung3->text(), u"1"_s);
    const QString gone = m_dir.path() + u"/weg"_s;
    ASSERT_TRUE(QDir().mkdir(gone));
    ASSERT_TRUE(f.Verzeichnis1->setPath(gone));
    ASSERT_TRUE(QDir().rmdir(gone));
    finish(f, &Form5::Command3D4_Click);
    EXPECT_EQ(said(), std::pair(u"Die Datei konnte nicht nach "_s + gone + u" kopiert werden !   "_s,
                                Icon::Exclamation));
    EXPECT_EQ(m_form1->form5()->copyPath(), target + u"/"_s);
    EXPECT_EQ(f.Datei3->count(), 0);
    f.Befehl6_Click();
    f.Command3D5_Click();
    EXPECT_FALSE(f.Frame3D5->isVisible());
    ASSERT_TRUE(Form5::selectEntry(f.Liste1, u"clipbrd.dat"_s));
    f.Command1_Click();
    EXPECT_EQ(f.Bezeichnung3->text(), u"0"_s);
    ASSERT_TRUE(Form5::selectEntry(f.Liste2, u"a.txt"_s));

    // Opened: ziel. Highlighted only: ziel/unter.
    ASSERT_TRUE(f.Verzeichnis1->setPath(target));
    QTreeWidgetItem* row = f.Verzeichnis1->findItems(u"unter"_s, Qt::MatchRecursive).value(0);
    ASSERT_TRUE(row);
    clickOn(f.Verzeichnis1->viewport(), f.Verzeichnis1->visualItemRect(row).center());
    EXPECT_EQ(f.Verzeichnis1->currentItem(), row);
    EXPECT_EQ(f.Verzeichnis1->path(), target);
    EXPECT_EQ(f.Datei3->path(), target);

    const qsizetype before = shown().size();
    finish(f, &Form5::Command3D4_Click);
    ASSERT_EQ(shown().size(), before + 1);
    EXPECT_EQ(said(), std::pair(u"Die Datei wurde nach "_s + target + u" kopiert !   "_s, Icon::Information));
    EXPECT_EQ(readFile(target + u"/clipbrd.dat"_s), "Sammlung\r\n");
    EXPECT_FALSE(QFileInfo::exists(sub + u"/clipbrd.dat"_s));
    EXPECT_EQ(m_form1->form5()->copyPath(), target); // no final separator
    EXPECT_FALSE(f.Frame3D5->isVisible());
    EXPECT_EQ(f.Datei3->names(), (QStringList{u"clipbrd.dat"_s, u"da.txt"_s}));

    // The same file again: refused, and the copy there stays as it was.
    put(u"clipbrd.dat"_s, "mehr Sammlung\r\n");
    f.Command1_Click();
    finish(f, &Form5::Command3D4_Click);
    EXPECT_EQ(said(), std::pair(u"Die Datei ist bereits vorhanden !   "_s, Icon::Exclamation));
    EXPECT_EQ(readFile(target + u"/clipbrd.dat"_s), "Sammlung\r\n");
    EXPECT_FALSE(f.Frame3D5->isVisible());

    // Opening, as a double click does, makes the highlighted directory the target.
    f.Befehl6_Click();
    emit f.Verzeichnis1->itemActivated(row, 0);
    EXPECT_EQ(f.Verzeichnis1->path(), sub);
    EXPECT_EQ(f.Datei3->count(), 0);
    finish(f, &Form5::Command3D4_Click);
    EXPECT_EQ(readFile(sub + u"/a.txt"_s), "A\r\n");
    EXPECT_EQ(m_form1->form5()->copyPath(), sub);

    // The entry is deleted while the panel is open: nothing is copied or said to be.
    f.Befehl6_Click();
    ASSERT_TRUE(f.Verzeichnis1->setPath(target));
    finish(f, &Form5::Befehl5_Click); // "Text löschen", answered Yes
    ASSERT_FALSE(QFileInfo::exists(files() + u"a.txt"_s));
    finish(f, &Form5::Command3D4_Click);
    EXPECT_EQ(said().first, u"Kein Text markiert !   "_s);
    EXPECT_FALSE(QFileInfo::exists(target + u"/a.txt"_s));
    EXPECT_EQ(m_form1->form5()->copyPath(), sub);

    // Another drive, then back: the directory opened there last comes back. A drive that cannot
    // be read leaves the lists and the drive shown as they were.
    const QString other = m_dir.path() + u"/anders"_s;
    ASSERT_TRUE(QDir().mkdir(other));
    f.Laufwerk1->setDrives({{u"Ziel"_s, target}, {u"Anders"_s, other}, {u"Fehlt"_s, other + u"/fehlt"_s}});
    ASSERT_TRUE(f.Verzeichnis1->setPath(sub));
    const auto choose = [&f](int drive) {
        f.Laufwerk1->setCurrentIndex(drive);
        emit f.Laufwerk1->activated(drive);
    };
    choose(1);
    EXPECT_EQ(f.Verzeichnis1->path(), other);
    choose(0);
    EXPECT_EQ(f.Verzeichnis1->path(), sub);
    choose(2);
    EXPECT_EQ(f.Verzeichnis1->path(), sub);
    EXPECT_EQ(f.Laufwerk1->currentIndex(), 0);

    // The last target is stored on leaving, as the list gives it, and opened again next time.
    leave();
    EXPECT_TRUE(readFile(profile()).contains((u"CopyPath="_s + sub + u"\r\n"_s).toUtf8()));
    EXPECT_EQ(open().Verzeichnis1->path(), sub);
    leave();

    // A target that has gone leaves the lists on the current directory; the key stays, with the
    // final separator it was read with.
    ASSERT_TRUE(QDir(target).removeRecursively());
    Form5& k = open();
    EXPECT_EQ(k.Verzeichnis1->path(), QDir::currentPath());
    leave();
    EXPECT_EQ(ReadIniString(m_state.AppTitle, u"CopyPath"_s, m_state.IniFile, QString()), sub + u"/"_s);
}

} // namespace
