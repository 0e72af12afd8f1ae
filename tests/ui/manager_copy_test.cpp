// The text data manager's copy panel: drive, directory and file lists, copying, CopyPath.
#include "app/inifile.h"
#include "tests/ui/managerfixture.h"

using namespace Qt::StringLiterals;

namespace {

class CopyTest : public ManagerFixture {
protected:
    void SetUp() override {
        ManagerFixture::SetUp();
        put(u"clipbrd.dat"_s, "Sammlung\r\n");
        put(u"a.txt"_s, "A\r\n");
        m_target = m_dir.path() + u"/ziel"_s;
        QDir().mkpath(m_target + u"/unter"_s);
    }
    static QListWidgetItem* dirEntry(DirList* list, const QString& path) {
        for (int i = 0; i < list->count(); ++i) {
            if (list->item(i)->data(Qt::UserRole).toString() == path) {
                return list->item(i);
            }
        }
        return nullptr;
    }
    QString m_target;
};

TEST_F(CopyTest, CopiesGoIntoTheOpenedDirectoryOnlyOnceAndDrivesKeepTheirDirectory) {
    Form5& f = open();
    f.Liste1->clearSelection();
    f.Command1_Click();
    EXPECT_EQ(said(), std::pair(u"Keine Text-Sammeldatei markiert !   "_s, Icon::Information));
    f.Befehl6_Click();
    EXPECT_EQ(lastMessage(), u"Kein Text markiert !   "_s);
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
    f.Command3D4_Click();
    EXPECT_EQ(said(), std::pair(u"Die Datei konnte nicht nach "_s + gone + u" kopiert werden !   "_s,
                                Icon::Exclamation));
    EXPECT_FALSE(QFileInfo::exists(gone));
    EXPECT_EQ(m_state.CopyPath, QString());
    EXPECT_EQ(f.Datei3->count(), 0);
    f.Befehl6_Click();
    f.Command3D5_Click();
    EXPECT_FALSE(f.Frame3D5->isVisible());
    ASSERT_TRUE(Form5::selectEntry(f.Liste1, u"clipbrd.dat"_s));
    f.Command1_Click();
    EXPECT_EQ(f.Bezeichnung3->text(), u"0"_s);
    ASSERT_TRUE(Form5::selectEntry(f.Liste2, u"a.txt"_s));

    // Opened: ziel. Highlighted only: ziel/unter.
    ASSERT_TRUE(f.Verzeichnis1->setPath(m_target));
    QListWidgetItem* sub = dirEntry(f.Verzeichnis1, m_target + u"/unter"_s);
    ASSERT_TRUE(sub);
    f.Verzeichnis1->setCurrentItem(sub);
    emit f.Verzeichnis1->itemClicked(sub);
    EXPECT_EQ(f.Verzeichnis1->path(), m_target);
    EXPECT_EQ(f.Datei3->path(), m_target);

    const qsizetype before = shown().size();
    f.Command3D4_Click();
    ASSERT_EQ(shown().size(), before + 1);
    EXPECT_EQ(said(),
              std::pair(u"Die Datei wurde nach "_s + m_target + u" kopiert !   "_s, Icon::Information));
    EXPECT_EQ(readFile(m_target + u"/clipbrd.dat"_s), "Sammlung\r\n");
    EXPECT_FALSE(QFileInfo::exists(m_target + u"/unter/clipbrd.dat"_s));
    EXPECT_EQ(m_state.CopyPath, m_target); // no final separator
    EXPECT_FALSE(f.Frame3D5->isVisible());
    EXPECT_EQ(entries(f.Datei3), QStringList{u"clipbrd.dat"_s});

    // The same file again: refused, and the copy there stays as it was.
    put(u"clipbrd.dat"_s, "mehr Sammlung\r\n");
    f.Command1_Click();
    f.Command3D4_Click();
    EXPECT_EQ(said(), std::pair(u"Die Datei ist bereits vorhanden !   "_s, Icon::Exclamation));
    EXPECT_EQ(readFile(m_target + u"/clipbrd.dat"_s), "Sammlung\r\n");
    EXPECT_FALSE(f.Frame3D5->isVisible());

    // Opening (a double click) makes the highlighted directory the target.
    f.Befehl6_Click();
    emit f.Verzeichnis1->itemActivated(dirEntry(f.Verzeichnis1, m_target + u"/unter"_s));
    EXPECT_EQ(f.Verzeichnis1->path(), m_target + u"/unter"_s);
    EXPECT_EQ(f.Datei3->count(), 0);
    f.Command3D4_Click();
    EXPECT_EQ(readFile(m_target + u"/unter/a.txt"_s), "A\r\n");
    EXPECT_EQ(m_state.CopyPath, m_target + u"/unter"_s);

    // The entry is deleted while the panel is open: nothing is copied or said to be.
    f.Befehl6_Click();
    ASSERT_TRUE(f.Verzeichnis1->setPath(m_target));
    f.Befehl5_Click(); // "Text löschen", answered Yes
    ASSERT_FALSE(QFileInfo::exists(files() + u"a.txt"_s));
    f.Command3D4_Click();
    EXPECT_EQ(lastMessage(), u"Kein Text markiert !   "_s);
    EXPECT_FALSE(QFileInfo::exists(m_target + u"/a.txt"_s));
    EXPECT_EQ(m_state.CopyPath, m_target + u"/unter"_s);

    // The drive list offers readable places only.
    const QStringList volumes = DriveList::volumes();
    EXPECT_EQ(volumes.value(0), QDir::homePath());
    EXPECT_TRUE(volumes.contains(u"/"_s));
    for (const QString& v : volumes) {
        EXPECT_FALSE(v.startsWith(u"/proc"_s) || v.startsWith(u"/sys"_s) || v.startsWith(u"/dev"_s))
            << v.toStdString();
    }

    ASSERT_TRUE(f.Verzeichnis1->setPath(m_target));
    const int targetDrive = f.Laufwerk1->currentIndex();
    const QString targetRoot = f.Laufwerk1->drive();
    ASSERT_TRUE(targetRoot == u"/"_s || m_target.startsWith(targetRoot + u'/'));
    // Another drive, then back: the directory opened there last comes back.
    int other = f.Laufwerk1->findData(QDir::homePath());
    if (other == targetDrive) {
        other = f.Laufwerk1->findData(u"/"_s);
    }
    ASSERT_GE(other, 0);
    f.Laufwerk1->setCurrentIndex(other);
    emit f.Laufwerk1->activated(other);
    const QString otherRoot = f.Laufwerk1->itemData(other).toString();
    EXPECT_EQ(f.Laufwerk1->currentIndex(), other);
    EXPECT_TRUE(f.Verzeichnis1->path() == otherRoot || f.Verzeichnis1->path().startsWith(otherRoot + u'/'))
        << f.Verzeichnis1->path().toStdString();
    EXPECT_NE(f.Verzeichnis1->path(), m_target);
    EXPECT_EQ(f.Datei3->path(), f.Verzeichnis1->path());
    f.Laufwerk1->setCurrentIndex(targetDrive);
    emit f.Laufwerk1->activated(targetDrive);
    EXPECT_EQ(f.Verzeichnis1->path(), m_target);
    EXPECT_EQ(f.Datei3->path(), m_target);

    // A drive that cannot be read: the lists stay, and so does the drive shown.
    f.Laufwerk1->addItem(u"/media/fehlt"_s,
                         u"/media/fehlt-"_s + QString::number(QCoreApplication::applicationPid()));
    const int missing = f.Laufwerk1->count() - 1;
    f.Laufwerk1->setCurrentIndex(missing);
    emit f.Laufwerk1->activated(missing);
    EXPECT_EQ(f.Verzeichnis1->path(), m_target);
    EXPECT_EQ(f.Laufwerk1->drive(), targetRoot);
}

TEST_F(CopyTest, TheCopyTargetIsRememberedThroughTheProfile) {
    start();
    WriteIniString(m_state.AppTitle, u"CopyPath"_s, m_target, m_state.IniFile);
    writeFile(m_target + u"/da.txt"_s, "x");
    Form5& f = open();
    EXPECT_EQ(m_state.CopyPath, m_target + u"/"_s);
    EXPECT_EQ(f.Verzeichnis1->path(), m_target);
    EXPECT_EQ(entries(f.Datei3), QStringList{u"da.txt"_s});
    EXPECT_TRUE(f.Laufwerk1->drive() == u"/"_s || m_target.startsWith(f.Laufwerk1->drive() + u'/'));

    // Leaving without a copy stores the path as it was read, with its final separator.
    leave();
    EXPECT_EQ(ReadIniString(m_state.AppTitle, u"CopyPath"_s, m_state.IniFile, QString()), m_target + u"/"_s);

    // A copy changes the target; it is stored on leaving and opened again next time.
    Form5& g = open();
    ASSERT_TRUE(Form5::selectEntry(g.Liste2, u"a.txt"_s));
    g.Befehl6_Click();
    emit g.Verzeichnis1->itemActivated(dirEntry(g.Verzeichnis1, m_target + u"/unter"_s));
    g.Command3D4_Click();
    leave();
    EXPECT_TRUE(readFile(profile()).contains((u"CopyPath="_s + m_target + u"/unter\r\n"_s).toUtf8()));
    Form5& h = open();
    EXPECT_EQ(m_state.CopyPath, m_target + u"/unter/"_s);
    EXPECT_EQ(h.Verzeichnis1->path(), m_target + u"/unter"_s);
    EXPECT_EQ(entries(h.Datei3), QStringList{u"a.txt"_s});
    leave();

    // A target that has gone leaves the lists on the current directory; the key stays.
    ASSERT_TRUE(QDir(m_target).removeRecursively());
    Form5& k = open();
    EXPECT_EQ(k.Verzeichnis1->path(), QDir::currentPath());
    leave();
    EXPECT_EQ(ReadIniString(m_state.AppTitle, u"CopyPath"_s, m_state.IniFile, QString()),
              m_target + u"/unter/"_s);
}

} // namespace
