#include "storage/safefile.h"

#include "platform/logging.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace SafeFile {

namespace {

constexpr mode_t kPrivate = S_IRUSR | S_IWUSR;
const QString kTempPrefix = u".snapwell-new-"_s;

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

QString dirOf(const QString& path) {
    return QFileInfo(path).path();
}

QString sidePath(const QString& path) {
    const QFileInfo info(path);
    return info.path() + u'/' + u'.' + info.fileName() + u".len"_s;
}

bool writeAllFd(int fd, const char* data, qint64 size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

// A new name in a directory is only durable once the directory itself is synced.
void syncDir(const QString& dir) {
    const int fd = ::open(native(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

void setError(QString* error, const QString& text) {
    if (error) {
        *error = text;
    }
}

// The side file is a symbolic link whose target reads "snapwell <inode> <before> <after>": the
// lengths live in the name table like the link itself, so a journaling file system keeps them in
// order with the append that follows, without a sync of their own. The mark and the inode make
// sure that only a link this program made for this very file is ever acted on.
constexpr char kSideMark[] = "snapwell";

struct Side {
    quint64 inode = 0;
    qint64 before = 0;
    qint64 after = 0;
};

QByteArray sideTarget(const Side& side) {
    return QByteArray(kSideMark) + ' ' + QByteArray::number(side.inode) + ' ' +
           QByteArray::number(side.before) + ' ' + QByteArray::number(side.after);
}

std::optional<Side> readSide(const QByteArray& side) {
    char target[96];
    const ssize_t n = ::readlink(side.constData(), target, sizeof target);
    if (n <= 0 || n >= qsizetype(sizeof target)) {
        return std::nullopt;
    }
    const QList<QByteArray> parts = QByteArray(target, n).split(' ');
    if (parts.size() != 4 || parts[0] != kSideMark) {
        return std::nullopt;
    }
    bool ok[3] = {};
    Side s{parts[1].toULongLong(&ok[0]), parts[2].toLongLong(&ok[1]), parts[3].toLongLong(&ok[2])};
    if (!ok[0] || !ok[1] || !ok[2] || s.before < 0 || s.after < s.before) {
        return std::nullopt;
    }
    return s;
}

} // namespace

QString reason(int errnum) {
    switch (errnum) {
    case ENOENT:
    case ENOTDIR:
        return u"Verzeichnis fehlt"_s;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return u"Datenträger voll"_s;
    case ELOOP:
    case ENXIO:
    case EISDIR:
    case ENODEV:
    case EWOULDBLOCK:
        return u"keine normale Datei"_s;
    case EACCES:
    case EPERM:
        return u"keine Berechtigung"_s;
    case EROFS:
        return u"schreibgeschützt"_s;
    default:
        return u"Schreibfehler"_s;
    }
}

int openPlain(const QString& path, int flags, QString* error) {
    // O_NONBLOCK: opening a pipe would otherwise wait for its other end, a device might too.
    const int fd = ::open(native(path).constData(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, kPrivate);
    if (fd < 0) {
        const int e = errno;
        // A missing file in an existing directory is no missing directory.
        setError(error, e == ENOENT && QFileInfo(dirOf(path)).isDir() ? u"Datei fehlt"_s : reason(e));
        errno = e;
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        setError(error, u"keine normale Datei"_s);
        errno = EINVAL;
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

std::optional<QByteArray> readPlain(const QString& path, QString* error) {
    const int fd = ::open(native(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int e = errno;
        setError(error, e == ENOENT ? u"Datei fehlt"_s : e == EIO ? u"Lesefehler"_s : reason(e));
        return std::nullopt;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        setError(error, u"keine normale Datei"_s);
        return std::nullopt;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        setError(error, u"Lesefehler"_s);
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        setError(error, u"Lesefehler"_s);
        return std::nullopt;
    }
    return bytes;
}

bool recoverAppend(const QString& path, QString* error, bool* foreign) {
    const QByteArray sideName = native(sidePath(path));
    struct stat st {};
    if (::lstat(sideName.constData(), &st) != 0) {
        return true;
    }
    const std::optional<Side> side = S_ISLNK(st.st_mode) ? readSide(sideName) : std::nullopt;
    if (!side) {
        // Not ours: a file, a directory or a link someone else put there is left alone.
        qCWarning(lcStore) << sidePath(path) << "is not a crash guard of ours; left alone";
        if (foreign) {
            *foreign = true;
        }
        return true;
    }
    const int fd = openPlain(path, O_WRONLY, error);
    if (fd < 0) {
        if (QFileInfo(path).exists() || QFileInfo(path).isSymLink()) {
            qCWarning(lcStore) << path << "not mended:" << (error ? *error : QString());
            return false;
        }
    } else {
        struct stat data {};
        bool ok = ::fstat(fd, &data) == 0;
        // Only an unfinished record is cut: the file is the one the guard was made for and ends
        // inside that record. A record written whole, a file replaced or grown since: untouched.
        if (ok && quint64(data.st_ino) == side->inode && data.st_size > side->before &&
            data.st_size < side->after) {
            ok = ::ftruncate(fd, side->before) == 0 && ::fsync(fd) == 0;
            qCInfo(lcStore) << path << "unfinished record cut off at" << side->before;
        }
        const int e = errno;
        ::close(fd);
        if (!ok) {
            setError(error, reason(e));
            qCWarning(lcStore) << path << "not mended:" << reason(e);
            return false;
        }
    }
    if (::unlink(sideName.constData()) != 0 && errno != ENOENT) {
        setError(error, reason(errno));
        qCWarning(lcStore) << sidePath(path) << "not removed:" << reason(errno);
        return false;
    }
    return true;
}

bool appendRecord(const QString& path, const QByteArray& record, QString* error, bool* unguarded) {
    bool foreign = false;
    if (!recoverAppend(path, error, &foreign)) {
        return false;
    }
    int fd = openPlain(path, O_WRONLY | O_APPEND, error);
    if (fd < 0 && !QFileInfo(path).exists() && !QFileInfo(path).isSymLink()) {
        fd = openPlain(path, O_WRONLY | O_APPEND | O_CREAT | O_EXCL, error);
        if (fd >= 0) {
            // Whatever the umask says.
            ::fchmod(fd, kPrivate);
        }
    }
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        setError(error, reason(errno));
        ::close(fd);
        return false;
    }
    const qint64 before = st.st_size;
    const QByteArray side = native(sidePath(path));
    bool guarded = false;
    if (!foreign) {
        guarded = ::symlink(sideTarget({quint64(st.st_ino), before, before + record.size()}).constData(),
                            side.constData()) == 0;
        // Something of that name appeared meanwhile: not ours, so the piece goes unguarded.
        // Only a directory we may not write in is appended to without the guard otherwise.
        if (!guarded && errno == EEXIST) {
            foreign = true;
        } else if (!guarded && errno != EACCES && errno != EPERM) {
            setError(error, reason(errno));
            ::close(fd);
            return false;
        }
    }
    if (unguarded) {
        *unguarded = foreign;
    }
    bool ok = writeAllFd(fd, record.constData(), record.size()) && ::fdatasync(fd) == 0;
    const int e = errno;
    if (!ok) {
        // What got through is cut off again, so the earlier records stay as they were.
        if (::ftruncate(fd, before) == 0) {
            ::fdatasync(fd);
        }
        setError(error, reason(e));
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        setError(error, reason(errno));
    }
    if (guarded && (ok || QFileInfo(path).size() == before)) {
        ::unlink(side.constData());
    }
    return ok;
}

void removeLeftovers(const QString& dir) {
    const QDir d(dir);
    const QStringList names =
        d.entryList({kTempPrefix + u'*'}, QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QString& name : names) {
        ::unlink(native(d.filePath(name)).constData());
    }
}

NewFile::NewFile(const QString& dir) : m_dir(dir) {
    if (!m_dir.endsWith(u'/')) {
        m_dir += u'/';
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name =
            kTempPrefix + QString::number(QRandomGenerator::global()->generate64(), 36) + u".part"_s;
        const int fd = openPlain(m_dir + name, O_WRONLY | O_CREAT | O_EXCL, &m_error);
        if (fd < 0) {
            if (errno == EEXIST) {
                continue;
            }
            return;
        }
        ::fchmod(fd, kPrivate);
        m_temp = m_dir + name;
        m_file.openFd(fd);
        return;
    }
}

NewFile::~NewFile() {
    m_file.close();
    if (!m_temp.isEmpty()) {
        ::unlink(native(m_temp).constData());
    }
}

void NewFile::writeFailed() {
    // No error from the system: the content could not be made (memory).
    m_error = m_file.errnum() != 0 ? reason(m_file.errnum()) : u"zu wenig Speicher"_s;
}

bool NewFile::write(const QByteArray& bytes) {
    if (m_file.write(bytes) == bytes.size()) {
        return true;
    }
    writeFailed();
    return false;
}

FdDevice::~FdDevice() {
    FdDevice::close();
}

bool FdDevice::openFd(int fd) {
    m_fd = fd;
    return QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

void FdDevice::close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    QIODevice::close();
}

qint64 FdDevice::writeData(const char* data, qint64 size) {
    if (!writeAllFd(m_fd, data, size)) {
        m_errnum = errno;
        setErrorString(reason(m_errnum));
        return -1;
    }
    return size;
}

Placed NewFile::place(const QString& name) {
    if (!m_file.isOpen() || m_placed) {
        if (m_error.isEmpty()) {
            m_error = u"Schreibfehler"_s;
        }
        return Placed::Failed;
    }
    if (!m_synced) {
        if (::fdatasync(m_file.handle()) != 0) {
            m_error = reason(errno);
            return Placed::Failed;
        }
        m_synced = true;
    }
    const QByteArray target = native(m_dir + name);
    // link(2) refuses an existing name (a dangling link included) instead of replacing it.
    if (::link(native(m_temp).constData(), target.constData()) != 0) {
        const int e = errno;
        if (e == EEXIST) {
            return Placed::Taken;
        }
        // File systems without hard links: a rename that refuses an existing target.
        if (e != EPERM && e != EOPNOTSUPP) {
            m_error = reason(e);
            return Placed::Failed;
        }
        if (::renameat2(AT_FDCWD, native(m_temp).constData(), AT_FDCWD, target.constData(),
                        RENAME_NOREPLACE) != 0) {
            if (errno == EEXIST) {
                return Placed::Taken;
            }
            m_error = reason(errno);
            return Placed::Failed;
        }
    } else {
        ::unlink(native(m_temp).constData());
    }
    m_temp.clear();
    m_placed = true;
    m_file.close();
    syncDir(m_dir);
    return Placed::Done;
}

bool writeWhole(const QString& path, const QByteArray& bytes) {
    QSaveFile out(path);
    // Writing straight into the old file would leave it half written on a failure.
    out.setDirectWriteFallback(false);
    const auto failed = [&] {
        // Profile and "Speichern" alike: one line with the file and the reason.
        qCWarning(lcStore) << path << "not written:" << out.errorString();
        return false;
    };
    if (!out.open(QIODevice::WriteOnly)) {
        return failed();
    }
    // QSaveFile gives a new file the umask's mode, an existing one its old mode.
    if (!QFileInfo::exists(path)) {
        out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    // commit() does not see a failure of the last flush (a full disk) and would put an
    // empty or cut file in place of the old one.
    if (out.write(bytes) != bytes.size() || !out.flush()) {
        failed();
        out.cancelWriting();
        return false;
    }
    return out.commit() || failed();
}

} // namespace SafeFile
