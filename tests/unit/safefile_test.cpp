#include "app/appmodul.h"
#include "app/commands.h"
#include "app/inifile.h"
#include "capture/safefile.h"
#include "tests/support/fixture.h"

#include <QDir>
#include <QFileInfo>

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

int modeOf(const QString& path) {
    struct stat st {};
    return ::lstat(native(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

// The hidden entries of a directory besides the ones named.
QStringList hidden(const QString& dir) {
    return QDir(dir).entryList({u".*"_s},
                               QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

class SafeFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A call that waits on a pipe ends the test run instead of hanging it.
        ::alarm(20);
        ASSERT_TRUE(m_dir.isValid());
        m_path = m_dir.path() + u'/';
    }
    void TearDown() override { ::alarm(0); }
    QString at(const QString& name) const { return m_path + name; }

    QTemporaryDir m_dir;
    QString m_path;
};

TEST_F(SafeFileTest, OnlyPlainFilesAreWrittenAndNothingWaits) {
    writeFile(at(u"echt"_s), "echt");
    ASSERT_EQ(::mkfifo(native(at(u"pipe"_s)).constData(), 0600), 0);
    ASSERT_EQ(::mkfifo(native(at(u"pipe-mit-leser"_s)).constData(), 0600), 0);
    // A reader at the other end: opening succeeds, the type check refuses it.
    const int reader = ::open(native(at(u"pipe-mit-leser"_s)).constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ASSERT_EQ(::mknod(native(at(u"sock"_s)).constData(), S_IFSOCK | 0600, 0), 0);
    ASSERT_TRUE(QFile::link(at(u"echt"_s), at(u"verweis"_s)));
    ASSERT_TRUE(QFile::link(at(u"fehlt"_s), at(u"verwaist"_s)));
    QDir(m_path).mkdir(u"ordner"_s);
    QStringList names{u"pipe"_s, u"pipe-mit-leser"_s, u"sock"_s, u"verweis"_s, u"verwaist"_s, u"ordner"_s};
    // A device where the system lets us make one.
    if (::mknod(native(at(u"geraet"_s)).constData(), S_IFCHR | 0600, makedev(1, 3)) == 0) {
        names << u"geraet"_s;
    }

    for (const QString& name : names) {
        QString error;
        EXPECT_FALSE(SafeFile::appendRecord(at(name), "geheim\r\n\r\n", &error)) << name.toStdString();
        EXPECT_EQ(error, u"keine normale Datei"_s) << name.toStdString();
        EXPECT_LT(SafeFile::openPlain(at(name), O_WRONLY | O_CREAT, &error), 0) << name.toStdString();
        // A new file never takes such a name over: it is reported as taken.
        SafeFile::NewFile file(m_path);
        ASSERT_TRUE(file.write("geheim"));
        EXPECT_EQ(file.place(name), SafeFile::Placed::Taken) << name.toStdString();
    }
    EXPECT_EQ(readFile(at(u"echt"_s)), "echt");
    EXPECT_FALSE(QFileInfo::exists(at(u"fehlt"_s)));
    QString error;
    EXPECT_FALSE(SafeFile::readPlain(at(u"pipe"_s), &error));
    EXPECT_EQ(error, u"keine normale Datei"_s);
    EXPECT_EQ(SafeFile::readPlain(at(u"verweis"_s), &error).value_or(""), "echt");
    ::close(reader);
}

TEST_F(SafeFileTest, NewFilesNeverReplaceANameAreMadePrivateAndACrashIsMended) {
    writeFile(at(u"00.txt"_s), "alt");
    {
        SafeFile::NewFile file(m_path);
        ASSERT_TRUE(file.isOpen());
        ASSERT_TRUE(file.write("neu"));
        // Not visible under any counted name before it is placed.
        EXPECT_EQ(QDir(m_path).entryList(QDir::Files), QStringList{u"00.txt"_s});
        EXPECT_EQ(file.place(u"00.txt"_s), SafeFile::Placed::Taken);
        EXPECT_EQ(file.place(u"01.txt"_s), SafeFile::Placed::Done);
    }
    EXPECT_EQ(readFile(at(u"00.txt"_s)), "alt");
    EXPECT_EQ(readFile(at(u"01.txt"_s)), "neu");
    EXPECT_TRUE(hidden(m_path).isEmpty());

    // One that is never placed leaves nothing; a crash's leftover goes at the next start.
    { SafeFile::NewFile abandoned(m_path); }
    writeFile(at(u".snapwell-new-x.part"_s), "rest");
    SafeFile::removeLeftovers(m_path);
    EXPECT_TRUE(hidden(m_path).isEmpty());

    // A directory that is gone is named as the reason.
    SafeFile::NewFile missing(m_path + u"fehlt/"_s);
    EXPECT_FALSE(missing.isOpen());
    EXPECT_EQ(missing.error(), u"Verzeichnis fehlt"_s);

    // A leftover side file cuts off the unfinished record only.
    const QByteArray done = "eins\r\n\r\n";
    const QByteArray next = "zwei\r\n\r\n";
    const QByteArray len = QByteArray::number(done.size());
    const struct {
        QByteArray side;   // what the interrupted append left in the side file
        QByteArray onDisk; // what it left in the collection file
        QByteArray mended; // what recovery keeps
    } cases[] = {
        {len + ' ' + QByteArray::number(done.size() + 100), done + "halb ab", done}, // killed while writing
        {len + ' ' + QByteArray::number(done.size() + next.size()), done + next,
         done + next},                                          // before the side file went
        {"8 ", done + "nicht von uns", done + "nicht von uns"}, // the side file itself was cut short
        {"0 5", "", ""},                                        // the file was started anew meanwhile
    };
    for (const auto& c : cases) {
        writeFile(at(u"clipbrd.dat"_s), c.onDisk);
        ASSERT_EQ(::symlink(c.side.constData(), native(at(u".clipbrd.dat.len"_s)).constData()), 0);
        EXPECT_TRUE(SafeFile::recoverAppend(at(u"clipbrd.dat"_s)));
        EXPECT_EQ(readFile(at(u"clipbrd.dat"_s)), c.mended) << c.side.constData();
        EXPECT_TRUE(hidden(m_path).isEmpty());
    }

    // The next append after a crash starts on a record boundary, without a recovery first.
    writeFile(at(u"clipbrd.dat"_s), done + "halb ab");
    const QByteArray side = len + ' ' + QByteArray::number(done.size() + 50);
    ASSERT_EQ(::symlink(side.constData(), native(at(u".clipbrd.dat.len"_s)).constData()), 0);
    QString error;
    ASSERT_TRUE(SafeFile::appendRecord(at(u"clipbrd.dat"_s), next, &error)) << error.toStdString();
    EXPECT_EQ(readFile(at(u"clipbrd.dat"_s)), done + next);
    EXPECT_TRUE(hidden(m_path).isEmpty());

    // New files are private whatever the umask; old ones keep their mode.
    for (const mode_t mask : {mode_t(0), mode_t(022)}) {
        const mode_t before = ::umask(mask);
        const QString dir = m_path + QString::number(mask) + u'/';
        QString created = dir + u"Files/"_s;
        ASSERT_TRUE(CreatePath(created));
        ASSERT_TRUE(SafeFile::appendRecord(created + u"clipbrd.dat"_s, "a\r\n\r\n", &error));
        SafeFile::NewFile file(created);
        ASSERT_TRUE(file.write("b\r\n"));
        ASSERT_EQ(file.place(u"00.txt"_s), SafeFile::Placed::Done);
        ASSERT_TRUE(SafeFile::writeWhole(created + u"snapwell.ini"_s, "[x]\r\n"));
        for (const QString& name : {u"clipbrd.dat"_s, u"00.txt"_s, u"snapwell.ini"_s}) {
            EXPECT_EQ(modeOf(created + name), 0600) << name.toStdString() << " umask " << mask;
        }
        EXPECT_EQ(modeOf(dir), 0700);
        EXPECT_EQ(modeOf(created), 0700);

        // Existing files and directories are the user's choice.
        ::chmod(native(created).constData(), 0755);
        ::chmod(native(created + u"clipbrd.dat"_s).constData(), 0644);
        ::chmod(native(created + u"snapwell.ini"_s).constData(), 0644);
        ASSERT_TRUE(SafeFile::appendRecord(created + u"clipbrd.dat"_s, "c\r\n\r\n", &error));
        ASSERT_TRUE(SafeFile::writeWhole(created + u"snapwell.ini"_s, "[y]\r\n"));
        EXPECT_TRUE(CreatePath(created));
        EXPECT_EQ(modeOf(created + u"clipbrd.dat"_s), 0644);
        EXPECT_EQ(modeOf(created + u"snapwell.ini"_s), 0644);
        EXPECT_EQ(modeOf(created), 0755);
        ::umask(before);
    }
}

// A program installed where it may not write: the profile beside it is the starting point,
// the user's own profile takes the changes and wins from then on.
TEST_F(SafeFileTest, AProfileBesideAReadOnlyProgramIsReadAndChangesGoToTheUser) {
    const QString prog = at(u"prog/"_s);
    QDir().mkpath(prog);
    const QByteArray mount = native(prog);
    if (::mount("tmpfs", mount.constData(), "tmpfs", 0, "size=64k") != 0) {
        GTEST_SKIP() << "mounting is not allowed here";
    }
    writeFile(prog + u"snapwell.ini"_s, "[Pelloran Snapwell]\r\nSavePath=/vorgabe/\r\nSignale=0\r\n");
    ASSERT_EQ(::mount("tmpfs", mount.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr), 0);
    AppState state;
    InitPaths(state, prog + u"snapwell"_s);
    const QString user = profilePath(state);
    const QString section = u"Pelloran Snapwell"_s;
    EXPECT_NE(user, prog + u"snapwell.ini"_s);
    EXPECT_EQ(ReadIniString(section, u"SavePath"_s, user, {}), u"/vorgabe/"_s);
    EXPECT_EQ(ReadIniString(section, u"Signale"_s, user, {}), u"0"_s);
    EXPECT_EQ(modeOf(user), 0600);

    EXPECT_TRUE(WriteIniString(section, u"Signale"_s, u"1"_s, user));
    EXPECT_EQ(profilePath(state), user);
    EXPECT_EQ(ReadIniString(section, u"Signale"_s, user, {}), u"1"_s);
    EXPECT_EQ(ReadIniString(section, u"Signale"_s, prog + u"snapwell.ini"_s, {}), u"0"_s);
    ::umount2(mount.constData(), MNT_DETACH);
    QFile::remove(user);
}

} // namespace
