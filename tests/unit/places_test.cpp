// The places the drive, directory and file lists show: drives, the nearest readable directory,
// the directory list's rows.
#include "tests/support/fixture.h"

#include "app/places.h"

#include <QFileInfo>
#include <QSet>

namespace {

TEST(Places, DrivesReadablePlacesAndTheDirectoryListsRows) {
    const QList<Drive> drives = {{u"home"_s, u"/home/anna"_s},
                                 {u"root"_s, u"/"_s},
                                 {u"stick"_s, u"/media/stick"_s},
                                 {u"data"_s, u"/media/stick/data"_s}};
    EXPECT_EQ(driveIndexFor(drives, u"/home/anna/Files/"_s), 0);
    EXPECT_EQ(driveIndexFor(drives, u"/home/anna"_s), 0);
    // A name that merely begins like a root is not inside it.
    EXPECT_EQ(driveIndexFor(drives, u"/home/annabel/Files/"_s), 1);
    EXPECT_EQ(driveIndexFor(drives, u"/media/stick/data/a/b/"_s), 3);
    EXPECT_EQ(driveIndexFor(drives, u"relativ/pfad"_s), -1);

    // The real ones: home first, then volumes.
    const QList<Drive> real = availableDrives();
    ASSERT_GE(real.size(), 2);
    EXPECT_EQ(real.first().root, QDir::cleanPath(QDir::homePath()));
    QSet<QString> roots;
    for (const Drive& d : real) {
        SCOPED_TRACE(d.root.toStdString());
        EXPECT_TRUE(QFileInfo(d.root).isDir());
        EXPECT_FALSE(d.root.startsWith(u"/proc"_s) || d.root.startsWith(u"/sys"_s) ||
                     d.root.startsWith(u"/dev"_s));
        EXPECT_FALSE(roots.contains(d.root));
        EXPECT_TRUE(d.label.startsWith(d.root));
        roots.insert(d.root);
    }
    EXPECT_TRUE(roots.contains(u"/"_s));
    EXPECT_TRUE(isPseudoFileSystem("tmpfs"));
    EXPECT_FALSE(isPseudoFileSystem("ext4"));
    EXPECT_TRUE(isSystemMountPoint(u"/run/user/1000"_s));
    EXPECT_FALSE(isSystemMountPoint(u"/run/media/anna/stick"_s));

    // The nearest readable place, and the directory list's rows.
    QTemporaryDir dir;
    QString base = QDir::cleanPath(dir.path());
    ASSERT_TRUE(QDir().mkpath(base + u"/a/b"_s));
    EXPECT_EQ(readablePlace(base + u"/a/b/"_s), base + u"/a/b"_s);
    EXPECT_EQ(readablePlace(base + u"/a/fehlt/auch/"_s), base + u"/a"_s);
    EXPECT_EQ(readablePlace(u"relativ"_s), u"/"_s);
    // Relative to the working directory, which the user does not see.
    EXPECT_FALSE(isListable(u"."_s));

    // The directory list's rows run from the root down, open, then the subdirectories, closed.
    base += u"/a/b"_s;
    for (const char16_t* sub : {u"zeta", u"Alpha", u"beta", u".versteckt"}) {
        ASSERT_TRUE(QDir(base).mkdir(QString::fromUtf16(sub)));
    }
    writeFile(base + u"/datei.txt"_s, "x");
    QStringList rows, paths, expected{u"+/"_s};
    for (const DirEntry& e : dirListEntries(base)) {
        rows.append((e.open ? u'+' : u'-') + e.name);
        paths.append(e.path);
    }
    for (const QString& part : base.split(u'/', Qt::SkipEmptyParts)) {
        expected.append(u'+' + part);
    }
    EXPECT_EQ(rows, expected << u"-.versteckt"_s << u"-Alpha"_s << u"-beta"_s << u"-zeta"_s);
    EXPECT_EQ(paths.first(), u"/"_s);
    EXPECT_EQ(paths.mid(paths.size() - 5), (QStringList{base, base + u"/.versteckt"_s, base + u"/Alpha"_s,
                                                        base + u"/beta"_s, base + u"/zeta"_s}));
    // The root is listed once, its subdirectories right below it.
    EXPECT_FALSE(dirListEntries(u"/"_s).value(1).open);
}

} // namespace
