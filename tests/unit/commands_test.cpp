#include "app/commands.h"
#include "tests/support/fixture.h"

#include <QDir>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

TEST(Commands, AddBackslashExistenceTestsAndCreatePath) {
    QString p = u"/a/b"_s;
    EXPECT_EQ(AddBackslash(p), u"/a/b/"_s);
    EXPECT_EQ(p, u"/a/b/"_s);
    EXPECT_EQ(AddBackslash(p), u"/a/b/"_s);
    QString empty;
    EXPECT_EQ(AddBackslash(empty), u"/"_s);

    QTemporaryDir dir;
    const QString d = dir.path();
    QDir(d).mkdir(u"leer"_s);
    writeFile(d + u"/f.txt"_s, "x");
    // A named pipe is no file, and asking must not wait for a writer.
    ASSERT_EQ(mkfifo((d + u"/pipe"_s).toLocal8Bit().constData(), 0600), 0);
    const struct {
        QString path;
        bool dir, file;
    } cases[] = {{d + u"/leer"_s, true, false},  {d + u"/leer/"_s, true, false},
                 {d + u"/f.txt"_s, false, true}, {d + u"/fehlt"_s, false, false},
                 {QString(), false, false},      {d + u"/pipe"_s, false, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(DirExists(c.path), c.dir) << c.path.toStdString();
        EXPECT_EQ(FileExists(c.path), c.file) << c.path.toStdString();
    }

    QString existing = d;
    EXPECT_TRUE(CreatePath(existing));
    EXPECT_EQ(existing, d); // unchanged when it exists
    QString deep = d + u"/A/B/C"_s;
    EXPECT_TRUE(CreatePath(deep));
    EXPECT_EQ(deep, d + u"/A/B/C/"_s);
    EXPECT_TRUE(QFileInfo(deep).isDir());
    writeFile(d + u"/A/F"_s, "x");
    QString blocked = d + u"/A/F/G"_s;
    EXPECT_FALSE(CreatePath(blocked));
    EXPECT_TRUE(QFileInfo(d + u"/A/F"_s).isFile());
    QString relative = u"rel/ativ"_s;
    EXPECT_FALSE(CreatePath(relative));
    EXPECT_FALSE(QFileInfo::exists(u"rel"_s));
}

} // namespace
