#include "storage/guardedappend.h"

#include "platform/logging.h"
#include "storage/plainfile.h"
#include "storage/wholefile.h"

#include <QDateTime>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace SafeFile {

namespace {

QString sidePath(const QString& path) {
    const QFileInfo info(path);
    return info.path() + u'/' + u'.' + info.fileName() + u".len"_s;
}

void set(StoreError* error, const StoreError& value) {
    if (error) {
        *error = value;
    }
}

// The side file is a symbolic link whose target reads "snapwell <inode> <before> <after>
// <check>": the lengths live in the name table like the link itself, so a journaling file
// system keeps them in order with the append that follows, without a sync of their own. The
// mark and the inode make sure that only a link this program made for this very file is ever
// acted on. The check (of the record's last bytes) tells a whole record from an unfinished
// one that other bytes were appended to; side files without it are read as well.
constexpr char kSideMark[] = "snapwell";
constexpr qint64 kCheckedTail = 64;

struct Side {
    quint64 inode = 0;
    qint64 before = 0;
    qint64 after = 0;
    std::optional<quint64> check;
};

quint64 fnv1a(const char* data, qint64 size) {
    quint64 h = 14695981039346656037ULL;
    for (qint64 i = 0; i < size; ++i) {
        h = (h ^ quint8(data[i])) * 1099511628211ULL;
    }
    return h;
}

quint64 tailCheck(const QByteArray& record) {
    const qint64 n = std::min<qint64>(kCheckedTail, record.size());
    return fnv1a(record.constData() + record.size() - n, n);
}

QByteArray sideTarget(const Side& side) {
    return QByteArray(kSideMark) + ' ' + QByteArray::number(side.inode) + ' ' +
           QByteArray::number(side.before) + ' ' + QByteArray::number(side.after) + ' ' +
           QByteArray::number(side.check.value_or(0), 16);
}

std::optional<Side> readSide(const QByteArray& side) {
    char target[128];
    const ssize_t n = ::readlink(side.constData(), target, sizeof target);
    if (n <= 0 || n >= qsizetype(sizeof target)) {
        return std::nullopt;
    }
    const QList<QByteArray> parts = QByteArray(target, n).split(' ');
    if ((parts.size() != 4 && parts.size() != 5) || parts[0] != kSideMark) {
        return std::nullopt;
    }
    bool ok[4] = {true, true, true, true};
    Side s{parts[1].toULongLong(&ok[0]), parts[2].toLongLong(&ok[1]), parts[3].toLongLong(&ok[2]), {}};
    if (parts.size() == 5) {
        s.check = parts[4].toULongLong(&ok[3], 16);
    }
    if (!ok[0] || !ok[1] || !ok[2] || !ok[3] || s.before < 0 || s.after < s.before) {
        return std::nullopt;
    }
    return s;
}

std::optional<QByteArray> readAt(int fd, qint64 from, qint64 size) {
    QByteArray bytes(size, Qt::Uninitialized);
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, bytes.data() + done, size_t(size - done), off_t(from + done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return std::nullopt;
        }
        done += n;
    }
    return bytes;
}

// The record did not get to its end: the file ends inside it, or its last bytes are not the
// ones written (another program appended to an unfinished record).
bool unfinished(int fd, const Side& side, qint64 size) {
    if (size <= side.before) {
        return false;
    }
    if (size < side.after) {
        return true;
    }
    if (!side.check) {
        return false;
    }
    const qint64 n = std::min(kCheckedTail, side.after - side.before);
    const std::optional<QByteArray> tail = readAt(fd, side.after - n, n);
    return tail && fnv1a(tail->constData(), n) != *side.check;
}

// Puts the bytes from `from` to the end into a new file beside path; its name, or empty with
// error set.
QString moveAside(int fd, const QString& path, qint64 from, qint64 size, StoreError* error) {
    const std::optional<QByteArray> rest = readAt(fd, from, size - from);
    if (!rest) {
        set(error, StoreError::of(StoreError::Kind::ReadFailed, path, errno));
        return {};
    }
    const QFileInfo info(path);
    NewFile file(info.path());
    if (!file.isOpen() || !file.write(*rest)) {
        set(error, file.error());
        return {};
    }
    const QString base =
        info.fileName() + u".rest-"_s + QDateTime::currentDateTime().toString(u"yyyyMMdd-hhmmss"_s);
    for (int n = 1; n < 1000; ++n) {
        const QString name = n == 1 ? base : base + u'-' + QString::number(n);
        switch (file.place(name)) {
        case Placed::Done:
            return name;
        case Placed::Taken:
            continue;
        case Placed::Failed:
            set(error, file.error());
            return {};
        }
    }
    set(error, StoreError::of(StoreError::Kind::WriteFailed, path));
    return {};
}

} // namespace

QByteArray crashGuardTarget(quint64 inode, qint64 before, const QByteArray& record) {
    return sideTarget({inode, before, before + record.size(), tailCheck(record)});
}

bool recoverAppend(const QString& path, StoreError* error, bool* foreign) {
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
    StoreError failure;
    const int fd = openPlain(path, O_RDWR, &failure);
    if (fd < 0) {
        if (QFileInfo(path).exists() || QFileInfo(path).isSymLink()) {
            qCWarning(lcStore) << path << "not mended:" << failure;
            set(error, failure);
            return false;
        }
    } else {
        struct stat data {};
        bool ok = ::fstat(fd, &data) == 0;
        int e = errno;
        // Only a record of this very file that did not get to its end is acted on. A record
        // written whole, a file replaced or started anew since: untouched.
        if (ok && quint64(data.st_ino) == side->inode && unfinished(fd, *side, data.st_size)) {
            const QString moved = moveAside(fd, path, side->before, data.st_size, &failure);
            ok = !moved.isEmpty() && ::ftruncate(fd, side->before) == 0 && ::fsync(fd) == 0;
            e = errno;
            if (ok) {
                qCWarning(lcStore).nospace()
                    << path << ": an unfinished record (" << side->after - side->before
                    << " bytes planned) and what followed it, " << data.st_size - side->before
                    << " bytes from byte " << side->before << " on, moved to " << moved;
            } else if (!failure.failed()) {
                failure = StoreError::fromErrno(e, path);
            }
        } else if (!ok) {
            failure = StoreError::fromErrno(e, path);
        }
        ::close(fd);
        if (!ok) {
            set(error, failure);
            qCWarning(lcStore) << path << "not mended:" << failure;
            return false;
        }
    }
    if (::unlink(sideName.constData()) != 0 && errno != ENOENT) {
        const StoreError gone = StoreError::fromErrno(errno, sidePath(path));
        set(error, gone);
        qCWarning(lcStore) << "crash guard not removed:" << gone;
        return false;
    }
    return true;
}

bool appendRecord(const QString& path, const QByteArray& record, StoreError* error, bool* unguarded) {
    bool foreign = false;
    if (!recoverAppend(path, error, &foreign)) {
        return false;
    }
    int fd = openPlain(path, O_WRONLY | O_APPEND, error);
    if (fd < 0 && !QFileInfo(path).exists() && !QFileInfo(path).isSymLink()) {
        fd = openPlain(path, O_WRONLY | O_APPEND | O_CREAT | O_EXCL, error);
        if (fd >= 0) {
            // Whatever the umask says.
            ::fchmod(fd, kPrivateMode);
        }
    }
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        set(error, StoreError::fromErrno(errno, path));
        ::close(fd);
        return false;
    }
    const qint64 before = st.st_size;
    const QByteArray side = native(sidePath(path));
    bool guarded = false;
    if (!foreign) {
        guarded = ::symlink(crashGuardTarget(quint64(st.st_ino), before, record).constData(),
                            side.constData()) == 0;
        // Something of that name appeared meanwhile: not ours, so the piece goes unguarded.
        // Only a directory we may not write in is appended to without the guard otherwise.
        if (!guarded && errno == EEXIST) {
            foreign = true;
        } else if (!guarded && errno != EACCES && errno != EPERM) {
            set(error, StoreError::fromErrno(errno, sidePath(path)));
            ::close(fd);
            return false;
        }
    }
    if (unguarded) {
        *unguarded = foreign;
    }
    bool ok = writeAll(fd, record.constData(), record.size()) && ::fdatasync(fd) == 0;
    const int e = errno;
    if (!ok) {
        // What got through is cut off again, so the earlier records stay as they were.
        if (::ftruncate(fd, before) == 0) {
            ::fdatasync(fd);
        }
        set(error, StoreError::fromErrno(e, path));
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        set(error, StoreError::fromErrno(errno, path));
    }
    if (guarded && (ok || QFileInfo(path).size() == before)) {
        ::unlink(side.constData());
    }
    return ok;
}

} // namespace SafeFile
