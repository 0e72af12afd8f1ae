#include "app/savetextfile.h"
#include "app/textfiles.h"
#include "tests/support/fixture.h"

#include <QDir>
#include <QFile>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QString rules(const QByteArray& bytes) {
    return applyLineRules(decodeFileText(bytes));
}

class TextFilesTest : public ::testing::Test {
protected:
    QString dir() const { return m_dir.path() + u'/'; }
    QTemporaryDir m_dir;
};

TEST(LineRules, LinesEndAtCrLfOrLoneCrAndNonUtf8LinesAreWindows1252) {
    EXPECT_EQ(rules("eins\r\nzwei\r\ndrei"), u"eins\r\nzwei\r\ndrei\r\n"_s); // last line without end
    EXPECT_EQ(rules("eins\r\nzwei\r\n"), u"eins\r\nzwei\r\n"_s);
    EXPECT_EQ(rules("a\nb\nc\n"), u"a\nb\nc\n\r\n"_s); // LF only: one single line
    EXPECT_EQ(rules("a\rb\r"), u"a\r\nb\r\n"_s);       // a lone CR ends a line
    EXPECT_EQ(rules("a\r\r\nb"), u"a\r\n\r\nb\r\n"_s);
    EXPECT_EQ(rules("\n"), u"\n\r\n"_s);
    EXPECT_EQ(rules("\r\n"), u"\r\n"_s);
    EXPECT_EQ(rules(""), QString());
    // The editor's form: paragraphs for line ends, line separators for lone LFs.
    EXPECT_EQ(applyLineRules(u"a\nb\r\nc", u"\n", QChar::LineSeparator), u"a\u2028b\nc\n"_s);

    // Files that are not UTF-8 are read as Windows-1252, line by line.
    EXPECT_EQ(decodeFileText("Gr\xc3\xbc\xc3\x9f\x65 \xe2\x82\xac"), u"Grüße €"_s);
    EXPECT_EQ(decodeFileText("Gr\xfc\xdf\x65 \x80"), u"Grüße €"_s);
    // A Windows-1252 file that UTF-8 captures were appended to: each line keeps its own text.
    EXPECT_EQ(decodeFileText("alt: M\xe4rz\r\nneu: M\xc3\xa4rz\r\n"), u"alt: März\r\nneu: März\r\n"_s);
}

TEST_F(TextFilesTest, SavingAFailedSaveAndTheDiskCheck) {
    const QString path = dir() + u"a.txt"_s;
    ASSERT_TRUE(SaveTextFile(path, u"eins\r\nzwei"_s));
    EXPECT_EQ(readFile(path), "eins\r\nzwei\r\n");
    // Shown again, the text ends in CR LF; saving it again and again keeps the file as it is.
    for (int i = 0; i < 3; ++i) {
        const ReadResult r = readTextFile(path);
        ASSERT_TRUE(r.ok);
        ASSERT_TRUE(SaveTextFile(path, applyLineRules(r.text)));
    }
    EXPECT_EQ(readFile(path), "eins\r\nzwei\r\n");
    ASSERT_TRUE(SaveTextFile(path, QString()));
    EXPECT_EQ(readFile(path), "\r\n");
    QByteArray written;
    ASSERT_TRUE(SaveTextFile(path, u"Grüße"_s, &written));
    EXPECT_EQ(written, "Gr\xc3\xbc\xc3\x9f\x65\r\n");
    EXPECT_EQ(readFile(path), written);

    // A failed save leaves the old file whole.
    EXPECT_FALSE(SaveTextFile(QString(), u"x"_s)); // no file shown yet
    EXPECT_FALSE(SaveTextFile(dir() + u"fehlt/a.txt"_s, u"x"_s));
    EXPECT_FALSE(QFileInfo::exists(dir() + u"fehlt"_s));

    // A write that fails half way (the file size limit stands in for a full medium).
    writeFile(path, "alter Inhalt\r\n");
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit small{4096, old.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = SaveTextFile(path, QString(5000, u'x'));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(saved);
    EXPECT_EQ(readFile(path), "alter Inhalt\r\n");
    EXPECT_EQ(QDir(dir()).entryList(QDir::Files | QDir::Hidden),
              QStringList{u"a.txt"_s}); // no temporary file left behind

    // The disk check tells appended pieces from other changes.
    const QString dat = dir() + u"clipbrd.dat"_s;
    writeFile(dat, "eins\r\n");
    const ReadResult shown = readTextFile(dat);
    ASSERT_TRUE(shown.ok);
    EXPECT_EQ(checkDisk(dat, shown.disk).change, DiskChange::None);

    // A capture appends: the new part comes back by the line rules.
    QFile f(dat);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("zwei\r\n~~~\r\n\r\ndrei");
    f.close();
    DiskCheck check = checkDisk(dat, shown.disk);
    EXPECT_EQ(check.change, DiskChange::Appended);
    EXPECT_EQ(check.appended, u"zwei\r\n~~~\r\n\r\ndrei\r\n"_s);
    EXPECT_EQ(checkDisk(dat, check.now).change, DiskChange::None);

    // Same size, other bytes: not an append.
    writeFile(dat, "EINS\r\n");
    EXPECT_EQ(checkDisk(dat, shown.disk).change, DiskChange::Replaced);
    // Rewritten with the shown bytes only: nothing to lose.
    writeFile(dat, "eins\r\n");
    EXPECT_EQ(checkDisk(dat, shown.disk).change, DiskChange::None);

    // Gone or emptied: saving loses nothing.
    QFile::remove(dat);
    EXPECT_EQ(checkDisk(dat, shown.disk).change, DiskChange::None);
    writeFile(dat, "");
    EXPECT_EQ(checkDisk(dat, shown.disk).change, DiskChange::None);

    // Moved aside by "Neu", then a capture made a new file: all of it is new.
    writeFile(dat, "neu\r\n");
    check = checkDisk(dat, DiskState::absent());
    EXPECT_EQ(check.change, DiskChange::Appended);
    EXPECT_EQ(check.appended, u"neu\r\n"_s);
    // Nothing shown in this window: the file's content is not in the box.
    EXPECT_EQ(checkDisk(dat, DiskState()).change, DiskChange::Replaced);
    EXPECT_EQ(checkDisk(dir() + u"fehlt.txt"_s, DiskState()).change, DiskChange::None);
    // A named pipe in the file's place is no content, and looking must not wait for a writer.
    QFile::remove(dat);
    ASSERT_EQ(::mkfifo(QFile::encodeName(dat).constData(), 0600), 0);
    ::alarm(10);
    EXPECT_EQ(checkDisk(dat, shown.disk).change, DiskChange::Replaced);
    ::alarm(0);
}

TEST_F(TextFilesTest, RenamingMovingAndCopyingNeverReplaceOrLeaveTheDirectory) {
    for (const QString& bad : {u""_s, u"."_s, u".."_s, u"../x"_s, u"a/b"_s, u".versteckt"_s}) {
        EXPECT_FALSE(acceptableBaseName(bad)) << bad.toStdString();
    }
    for (const QString& good : {u"neu"_s, u"a b"_s, u"x?y"_s, u"M\u00e4rz"_s, u"a.b"_s}) {
        EXPECT_TRUE(acceptableBaseName(good)) << good.toStdString();
    }

    writeFile(dir() + u"a.txt"_s, "A");
    writeFile(dir() + u"b.txt"_s, "B");
    EXPECT_FALSE(renameTextFile(dir(), u"a.txt"_s, u"b.txt"_s));
    EXPECT_FALSE(renameTextFile(dir(), u"a.txt"_s, u"a.txt"_s));
    // A dangling link is a name that is taken, too.
    ASSERT_TRUE(QFile::link(dir() + u"nirgends"_s, dir() + u"c.txt"_s));
    EXPECT_FALSE(renameTextFile(dir(), u"a.txt"_s, u"c.txt"_s));
    EXPECT_FALSE(renameTextFile(dir(), u"fehlt.txt"_s, u"d.txt"_s));
    EXPECT_EQ(readFile(dir() + u"a.txt"_s), "A");
    EXPECT_EQ(readFile(dir() + u"b.txt"_s), "B");
    EXPECT_TRUE(renameTextFile(dir(), u"a.txt"_s, u"d.txt"_s));
    EXPECT_EQ(readFile(dir() + u"d.txt"_s), "A");

    writeFile(dir() + u"clipbrd.dat"_s, "alt");
    EXPECT_TRUE(moveToBackup(dir(), u"clipbrd.dat"_s));
    writeFile(dir() + u"clipbrd.dat"_s, "neu");
    EXPECT_FALSE(moveToBackup(dir(), u"clipbrd.dat"_s));
    EXPECT_FALSE(moveToBackup(dir(), u"backup.dat"_s));
    EXPECT_EQ(readFile(dir() + u"backup.dat"_s), "alt");
    EXPECT_EQ(readFile(dir() + u"clipbrd.dat"_s), "neu");

    // Copying never replaces and leaves nothing half done.
    EXPECT_EQ(copyTarget(u"/"_s, u"a.txt"_s), u"/a.txt"_s);
    EXPECT_EQ(copyTarget(u"/daten"_s, u"a.txt"_s), u"/daten/a.txt"_s);

    const QString source = dir() + u"a.txt"_s;
    writeFile(source, "Inhalt\r\n");
    const QString target = dir() + u"ziel"_s;
    QDir().mkdir(target);
    EXPECT_EQ(copyFileTo(source, target, u"a.txt"_s), CopyResult::Copied);
    EXPECT_EQ(readFile(target + u"/a.txt"_s), "Inhalt\r\n");
    writeFile(source, "anders\r\n");
    EXPECT_EQ(copyFileTo(source, target, u"a.txt"_s), CopyResult::Exists);
    EXPECT_EQ(readFile(target + u"/a.txt"_s), "Inhalt\r\n");

    EXPECT_EQ(copyFileTo(source, dir() + u"fehlt"_s, u"a.txt"_s), CopyResult::Failed);
    EXPECT_EQ(copyFileTo(dir() + u"weg.txt"_s, target, u"weg.txt"_s), CopyResult::Failed);
    // A file standing where the directory should be.
    writeFile(dir() + u"datei"_s, "x");
    EXPECT_EQ(copyFileTo(source, dir() + u"datei"_s, u"a.txt"_s), CopyResult::Failed);
    EXPECT_EQ(QDir(target).entryList(QDir::Files | QDir::Hidden), QStringList{u"a.txt"_s});

    // A regular file whose reading fails: this process's memory at address 0.
    ASSERT_TRUE(QFile::link(u"/proc/self/mem"_s, dir() + u"kaputt.txt"_s));
    ASSERT_TRUE(isTextFile(dir() + u"kaputt.txt"_s));
    EXPECT_FALSE(readTextFile(dir() + u"kaputt.txt"_s).ok);
    QDir().mkdir(dir() + u"ordner.txt"_s);
    EXPECT_FALSE(isTextFile(dir() + u"ordner.txt"_s));
    EXPECT_FALSE(readTextFile(dir() + u"ordner.txt"_s).ok);
}

} // namespace
