#include "app/commands.h"
#include "tests/support/fixture.h"

#include <QDir>
#include <QTemporaryDir>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

TEST(Commands, AddBackslashAndExistenceTests) {
    QString p = u"/a/b"_s;
    EXPECT_EQ(AddBackslash(p), u"/a/b/"_s);
    EXPECT_EQ(p, u"/a/b/"_s);
    EXPECT_EQ(AddBackslash(p), u"/a/b/"_s);
    QString empty;
    EXPECT_EQ(AddBackslash(empty), u"/"_s);

    QTemporaryDir dir;
    QDir(dir.path()).mkdir(u"leer"_s);
    writeFile(dir.path() + u"/f.txt"_s, "x");
    EXPECT_TRUE(DirExists(dir.path() + u"/leer"_s));
    EXPECT_TRUE(DirExists(dir.path() + u"/leer/"_s));
    EXPECT_FALSE(DirExists(dir.path() + u"/f.txt"_s));
    EXPECT_FALSE(DirExists(dir.path() + u"/fehlt"_s));
    EXPECT_FALSE(DirExists(QString()));
    EXPECT_TRUE(FileExists(dir.path() + u"/f.txt"_s));
    EXPECT_FALSE(FileExists(dir.path() + u"/leer"_s));
    EXPECT_FALSE(FileExists(dir.path() + u"/fehlt.txt"_s));
    // A named pipe is no file, and asking must not wait for a writer.
    ASSERT_EQ(mkfifo((dir.path() + u"/pipe"_s).toLocal8Bit().constData(), 0600), 0);
    EXPECT_FALSE(FileExists(dir.path() + u"/pipe"_s));
}

TEST(Commands, CreatePathCreatesEveryLevelAndStopsAtAFile) {
    QTemporaryDir dir;
    QString existing = dir.path();
    EXPECT_TRUE(CreatePath(existing));
    EXPECT_EQ(existing, dir.path()); // unchanged when it exists

    QString deep = dir.path() + u"/A/B/C"_s;
    EXPECT_TRUE(CreatePath(deep));
    EXPECT_EQ(deep, dir.path() + u"/A/B/C/"_s);
    EXPECT_TRUE(QFileInfo(deep).isDir());

    writeFile(dir.path() + u"/A/F"_s, "x");
    QString blocked = dir.path() + u"/A/F/G"_s;
    EXPECT_FALSE(CreatePath(blocked));
    EXPECT_TRUE(QFileInfo(dir.path() + u"/A/F"_s).isFile());

    QString relative = u"rel/ativ"_s;
    EXPECT_FALSE(CreatePath(relative));
    EXPECT_FALSE(QFileInfo::exists(u"rel"_s));
}

} // namespace
