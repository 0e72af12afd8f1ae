// Files on disk: safe writes, path helpers and the text files of the manager, in
// temporary directories of their own.
#include "app/appmodul.h"
#include "app/commands.h"
#include "storage/guardedappend.h"
#include "storage/inifile.h"
#include "storage/savetextfile.h"
#include "storage/textfiles.h"
#include "storage/wholefile.h"
#include "tests/support/fixture.h"
#include "tests/unit/filesfixture.h"
#include "ui/failuretexts.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSet>

#include <csignal>
#include <numeric>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

TEST_F(FilesTest, OnlyPlainFilesAreWrittenOrCountAsFilesAndNothingWaits) {
    writeFile(at(u"echt"_s), "echt");
    ASSERT_EQ(::mkfifo(native(at(u"pipe"_s)).constData(), 0600), 0);
    ASSERT_EQ(::mkfifo(native(at(u"pipe-mit-leser"_s)).constData(), 0600), 0);
    // A reader at the other end: opening succeeds, the type check refuses it.
    const int reader = ::open(native(at(u"pipe-mit-leser"_s)).constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ASSERT_TRUE(QFile::link(at(u"echt"_s), at(u"verweis"_s)));
    ASSERT_TRUE(QFile::link(at(u"fehlt"_s), at(u"verwaist"_s)));
    QDir(m_path).mkdir(u"ordner"_s);
    for (const QString& name : {u"pipe"_s, u"pipe-mit-leser"_s, u"verweis"_s, u"verwaist"_s, u"ordner"_s}) {
        StoreError error;
        EXPECT_FALSE(SafeFile::appendRecord(at(name), "geheim\r\n\r\n", &error)) << name.toStdString();
        EXPECT_EQ(describe(error), u"keine normale Datei"_s) << name.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(at(u"fehlt"_s)));
    StoreError error;
    EXPECT_FALSE(SafeFile::readPlain(at(u"pipe"_s), &error));
    EXPECT_EQ(describe(error), u"keine normale Datei"_s);
    EXPECT_EQ(SafeFile::readPlain(at(u"verweis"_s), &error).value_or(""), "echt");
    ::close(reader);

    // The existence tests of the path helpers; asking about a named pipe must not wait either.
    const struct {
        QString path;
        bool dir, file;
    } cases[] = {{at(u"ordner"_s), true, false}, {at(u"ordner/"_s), true, false},
                 {at(u"echt"_s), false, true},   {at(u"fehlt"_s), false, false},
                 {QString(), false, false},      {at(u"pipe"_s), false, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(DirExists(c.path), c.dir) << c.path.toStdString();
        EXPECT_EQ(FileExists(c.path), c.file) << c.path.toStdString();
    }
    QString p = u"/a/b/"_s;
    EXPECT_EQ(AddBackslash(p), u"/a/b/"_s);
    // A file standing where a directory should be stops it.
    QString blocked = at(u"echt/G/H"_s);
    EXPECT_FALSE(CreatePath(blocked));
    EXPECT_EQ(readFile(at(u"echt"_s)), "echt"); // untouched by all of the above
    QString relative = u"rel/ativ"_s;
    EXPECT_FALSE(CreatePath(relative));
    EXPECT_FALSE(QFileInfo::exists(u"rel"_s));
}

// What failed is a value below the windows; the words are the hint line's.
TEST(FailureWords, EachFailureReadsAsTheHintLineSaysIt) {
    using Kind = StoreError::Kind;
    const struct {
        StoreError error;
        const char16_t* words;
    } rows[] = {
        {StoreError::fromErrno(ENOENT, {}), u"Verzeichnis fehlt"},
        {StoreError::fromErrno(ENOTDIR, {}), u"Verzeichnis fehlt"},
        {StoreError::fromErrno(ENOSPC, {}), u"Datenträger voll"},
        {StoreError::fromErrno(EFBIG, {}), u"Datenträger voll"},
        {StoreError::fromErrno(ELOOP, {}), u"keine normale Datei"},
        {StoreError::fromErrno(ENXIO, {}), u"keine normale Datei"},
        {StoreError::fromErrno(EACCES, {}), u"keine Berechtigung"},
        {StoreError::fromErrno(EROFS, {}), u"schreibgeschützt"},
        {StoreError::fromErrno(EIO, {}), u"Schreibfehler"},
        {StoreError::of(Kind::MissingFile, {}), u"Datei fehlt"},
        {StoreError::of(Kind::ReadFailed, {}), u"Lesefehler"},
        {StoreError::of(Kind::OutOfMemory, {}), u"zu wenig Speicher"},
        {StoreError::of(Kind::NoFile, {}), u"keine Datei"},
        {StoreError(), u""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(describe(row.error), QString::fromUtf16(row.words)) << row.error.errnum;
    }
}

TEST_F(FilesTest, NewFilesNeverReplaceANameAndAreMadePrivate) {
    writeFile(at(u"00.txt"_s), "alt");
    {
        SafeFile::NewFile file(m_path);
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
    EXPECT_EQ(describe(missing.error()), u"Verzeichnis fehlt"_s);

    StoreError error;
    // New files are private even where the umask would open them; old ones keep their mode.
    const mode_t before = ::umask(0);
    // Two new levels; the final separator is added.
    const QString dir = m_path + u"neu/"_s;
    QString created = dir + u"Files"_s;
    ASSERT_TRUE(CreatePath(created));
    ASSERT_EQ(created, dir + u"Files/"_s);
    ASSERT_TRUE(SafeFile::appendRecord(created + u"clipbrd.dat"_s, "a\r\n\r\n", &error));
    SafeFile::NewFile file(created);
    ASSERT_TRUE(file.write("b\r\n"));
    ASSERT_EQ(file.place(u"00.txt"_s), SafeFile::Placed::Done);
    ASSERT_TRUE(SafeFile::writeWhole(created + u"snapwell.ini"_s, "[x]\r\n"));
    for (const QString& name : {u"clipbrd.dat"_s, u"00.txt"_s, u"snapwell.ini"_s}) {
        EXPECT_EQ(modeOf(created + name), 0600) << name.toStdString();
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

// A crash while a record was appended: the next append (or the start) finds our side file. A
// record written whole stays; from an unfinished one on, everything (with what another program
// appended after it) goes into a file of its own, and the collection file ends where it ended
// before the record. Anything else under the side file's name is never touched, and the piece
// is stored all the same, without the guard.
TEST_F(FilesTest, ACrashDuringAnAppendIsMendedWithoutLosingAByte) {
    const QByteArray done = "eins\r\n\r\n";
    const QByteArray planned = "zwei, lang genug, dass das Ende des Datensatzes fehlt\r\n\r\n";
    const QByteArray next = "drei\r\n\r\n";
    const QByteArray note = "Notiz eines anderen Programms\n";
    const qint64 len = done.size();
    enum class Side { Ours, Legacy, ForAnotherFile, Foreign, File, Directory };
    const struct {
        const char* what;
        Side side;
        qint64 before;
        QByteArray onDisk; // what the crash (and whoever came after it) left in the collection file
        QByteArray kept;   // what stays in it
        QByteArray moved;  // what goes into a file of its own
    } cases[] = {
        {"partial record", Side::Ours, len, done + planned.left(9), done, planned.left(9)},
        {"partial record, then a note", Side::Ours, len, done + planned.left(9) + note, done,
         planned.left(9) + note},
        {"partial record, a note past its end", Side::Ours, len, done + planned.left(40) + note + note, done,
         planned.left(40) + note + note},
        {"whole record, guard not yet gone", Side::Ours, len, done + planned, done + planned, {}},
        {"whole record, then a note", Side::Ours, len, done + planned + note, done + planned + note, {}},
        {"file started anew", Side::Ours, len, "", "", {}},
        {"guard of an older program, partial", Side::Legacy, len, done + "zw", done, "zw"},
        {"guard of an older program, longer",
         Side::Legacy,
         len,
         done + planned + note,
         done + planned + note,
         {}},
        {"guard naming another inode", Side::ForAnotherFile, len, done + "zw", done + "zw", {}},
        {"someone else's link", Side::Foreign, 0, done + "zw", done + "zw", {}},
        {"a file", Side::File, 0, done + "zw", done + "zw", {}},
        {"a directory", Side::Directory, 0, done + "zw", done + "zw", {}},
    };
    const QString dat = at(u"clipbrd.dat"_s);
    const QByteArray side = native(at(u".clipbrd.dat.len"_s));
    const auto rests = [&] { return QDir(m_path).entryList({u"clipbrd.dat.rest-*"_s}, QDir::Files); };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const LogLines log("snapwell.store");
        writeFile(dat, c.onDisk);
        struct stat st {};
        ASSERT_EQ(::stat(native(dat).constData(), &st), 0);
        const quint64 inode = st.st_ino + (c.side == Side::ForAnotherFile ? 1 : 0);
        QByteArray target = SafeFile::crashGuardTarget(inode, c.before, planned);
        if (c.side == Side::Legacy) {
            target = target.left(target.lastIndexOf(' ')); // no check of the record's end
        } else if (c.side == Side::Foreign) {
            target = "0 1";
        }
        if (c.side == Side::File) {
            writeFile(at(u".clipbrd.dat.len"_s), target);
        } else if (c.side == Side::Directory) {
            ASSERT_TRUE(QDir().mkdir(at(u".clipbrd.dat.len"_s)));
        } else {
            ASSERT_EQ(::symlink(target.constData(), side.constData()), 0);
        }
        const bool foreign = c.side >= Side::Foreign;
        bool unguarded = !foreign;
        StoreError error;
        EXPECT_TRUE(SafeFile::appendRecord(dat, next, &error, &unguarded)) << describe(error).toStdString();
        EXPECT_EQ(readFile(dat), c.kept + next);
        EXPECT_EQ(unguarded, foreign);
        EXPECT_EQ(hidden(m_path).isEmpty(), !foreign);
        const QStringList moved = rests();
        ASSERT_EQ(moved.size(), c.moved.isEmpty() ? 0 : 1);
        if (!c.moved.isEmpty()) {
            EXPECT_EQ(readFile(at(moved[0])), c.moved);
            EXPECT_EQ(modeOf(at(moved[0])), 0600);
            // The log names what went where.
            EXPECT_EQ(log.with({dat, QString::number(c.moved.size()) + u" bytes"_s, moved[0]}).size(), 1)
                << log.lines().join(u'\n').toStdString();
            QFile::remove(at(moved[0]));
        }
        ::unlink(side.constData());
        ::rmdir(side.constData());
    }

    // A file moved aside never takes the place of another: the names of this second and the
    // next are taken already.
    const QDateTime now = QDateTime::currentDateTime();
    for (const QDateTime& t : {now, now.addSecs(1)}) {
        writeFile(at(u"clipbrd.dat.rest-"_s + t.toString(u"yyyyMMdd-hhmmss"_s)), "alt");
    }
    writeFile(dat, done + "zw");
    struct stat st {};
    ASSERT_EQ(::stat(native(dat).constData(), &st), 0);
    ASSERT_EQ(::symlink(SafeFile::crashGuardTarget(st.st_ino, len, planned).constData(), side.constData()),
              0);
    ASSERT_TRUE(SafeFile::recoverAppend(dat));
    EXPECT_EQ(readFile(dat), done);
    QStringList contents;
    for (const QString& name : rests()) {
        contents << QString::fromUtf8(readFile(at(name)));
    }
    contents.sort();
    EXPECT_EQ(contents, (QStringList{u"alt"_s, u"alt"_s, u"zw"_s}));
}

TEST_F(FilesTest, SavingAFailedSaveAndTheDiskCheck) {
    const QString path = at(u"a.txt"_s);
    ASSERT_TRUE(SaveTextFile(path, u"eins\r\nzwei"_s));
    // Shown again, the text ends in CR LF; saving it again and again keeps the file as it is.
    for (int i = 0; i < 3; ++i) {
        const ReadResult r = readTextFile(path);
        ASSERT_TRUE(r.ok);
        ASSERT_TRUE(SaveTextFile(path, applyLineRules(r.text)));
    }
    EXPECT_EQ(readFile(path), "eins\r\nzwei\r\n");
    QByteArray written;
    ASSERT_TRUE(SaveTextFile(path, u"Grüße"_s, &written));
    EXPECT_EQ(written, "Gr\xc3\xbc\xc3\x9f\x65\r\n");
    EXPECT_EQ(readFile(path), written);

    // A failed save leaves the old file whole.
    EXPECT_FALSE(SaveTextFile(QString(), u"x"_s)); // no file shown yet
    EXPECT_FALSE(SaveTextFile(at(u"fehlt/a.txt"_s), u"x"_s));
    EXPECT_FALSE(QFileInfo::exists(at(u"fehlt"_s)));

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
    EXPECT_EQ(QDir(m_path).entryList(QDir::Files | QDir::Hidden),
              QStringList{u"a.txt"_s}); // no temporary file left behind

    // The disk check tells appended pieces from other changes.
    const QString dat = at(u"clipbrd.dat"_s);
    writeFile(dat, "eins\r\n");
    const ReadResult shown = readTextFile(dat);
    ASSERT_TRUE(shown.ok);
    EXPECT_EQ(checkDisk(dat, shown.disk).change, DiskChange::None);

    // A capture appends: the new part comes back by the line rules.
    writeFile(dat, "eins\r\nzwei\r\n~~~\r\n\r\ndrei");
    DiskCheck check = checkDisk(dat, shown.disk);
    EXPECT_EQ(check.change, DiskChange::Appended);
    EXPECT_EQ(check.appended, u"zwei\r\n~~~\r\n\r\ndrei\r\n"_s);
    EXPECT_EQ(checkDisk(dat, check.now).change, DiskChange::None);

    // Same size, other bytes: not an append.
    writeFile(dat, "EINS\r\n");
    EXPECT_EQ(checkDisk(dat, shown.disk).change, DiskChange::Replaced);

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
    // A named pipe in the file's place is no content, and looking must not wait for a writer.
    QFile::remove(dat);
    ASSERT_EQ(::mkfifo(native(dat).constData(), 0600), 0);
    EXPECT_EQ(checkDisk(dat, shown.disk).change, DiskChange::Replaced);
}

TEST_F(FilesTest, RenamingMovingAndCopyingNeverReplaceOrLeaveTheDirectory) {
    for (const QString& bad : {u""_s, u"."_s, u".."_s, u"../x"_s, u"a/b"_s, u".versteckt"_s}) {
        EXPECT_FALSE(acceptableBaseName(bad)) << bad.toStdString();
    }
    for (const QString& good : {u"neu"_s, u"a b"_s, u"x?y"_s, u"M\u00e4rz"_s, u"a.b"_s}) {
        EXPECT_TRUE(acceptableBaseName(good)) << good.toStdString();
    }

    writeFile(at(u"a.txt"_s), "A");
    writeFile(at(u"b.txt"_s), "B");
    EXPECT_FALSE(renameTextFile(m_path, u"a.txt"_s, u"b.txt"_s));
    // A dangling link is a name that is taken, too.
    ASSERT_TRUE(QFile::link(at(u"nirgends"_s), at(u"c.txt"_s)));
    EXPECT_FALSE(renameTextFile(m_path, u"a.txt"_s, u"c.txt"_s));
    EXPECT_FALSE(renameTextFile(m_path, u"fehlt.txt"_s, u"d.txt"_s));
    EXPECT_EQ(readFile(at(u"b.txt"_s)), "B");
    EXPECT_TRUE(renameTextFile(m_path, u"a.txt"_s, u"d.txt"_s));
    EXPECT_EQ(readFile(at(u"d.txt"_s)), "A");

    writeFile(at(u"clipbrd.dat"_s), "alt");
    EXPECT_TRUE(moveToBackup(m_path, u"clipbrd.dat"_s));
    writeFile(at(u"clipbrd.dat"_s), "neu");
    EXPECT_FALSE(moveToBackup(m_path, u"clipbrd.dat"_s));
    EXPECT_EQ(readFile(at(u"backup.dat"_s)), "alt");
    EXPECT_EQ(readFile(at(u"clipbrd.dat"_s)), "neu");

    // Copying never replaces and leaves nothing half done.
    EXPECT_EQ(copyTarget(u"/"_s, u"a.txt"_s), u"/a.txt"_s);
    EXPECT_EQ(copyTarget(u"/daten"_s, u"a.txt"_s), u"/daten/a.txt"_s);

    const QString source = at(u"a.txt"_s);
    writeFile(source, "Inhalt\r\n");
    const QString target = at(u"ziel"_s);
    QDir().mkdir(target);
    EXPECT_EQ(copyFileTo(source, target, u"a.txt"_s), CopyResult::Copied);
    EXPECT_EQ(readFile(target + u"/a.txt"_s), "Inhalt\r\n");
    writeFile(source, "anders\r\n");
    EXPECT_EQ(copyFileTo(source, target, u"a.txt"_s), CopyResult::Exists);
    EXPECT_EQ(readFile(target + u"/a.txt"_s), "Inhalt\r\n");

    EXPECT_EQ(copyFileTo(source, at(u"fehlt"_s), u"a.txt"_s), CopyResult::Failed);
    EXPECT_EQ(copyFileTo(at(u"weg.txt"_s), target, u"weg.txt"_s), CopyResult::Failed);
    EXPECT_EQ(QDir(target).entryList(QDir::Files | QDir::Hidden), QStringList{u"a.txt"_s});

    // A regular file whose reading fails: this process's memory at address 0.
    ASSERT_TRUE(QFile::link(u"/proc/self/mem"_s, at(u"kaputt.txt"_s)));
    ASSERT_TRUE(isTextFile(at(u"kaputt.txt"_s)));
    EXPECT_FALSE(readTextFile(at(u"kaputt.txt"_s)).ok);
    QDir().mkdir(at(u"ordner.txt"_s));
    EXPECT_FALSE(isTextFile(at(u"ordner.txt"_s)));
    EXPECT_FALSE(readTextFile(at(u"ordner.txt"_s)).ok);
}

} // namespace
