#include "storage/plainfile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SafeFile {

namespace {

void set(StoreError* error, const StoreError& value) {
    if (error) {
        *error = value;
    }
}

// Opens without waiting on a pipe or device; -1 with errno, or the descriptor of a plain file,
// blocking again.
int openNonBlocking(const QString& path, int flags, StoreError* error) {
    const int fd = ::open(native(path).constData(), flags | O_NONBLOCK | O_CLOEXEC, kPrivateMode);
    if (fd < 0) {
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        set(error, StoreError::of(StoreError::Kind::NotPlainFile, path));
        errno = EINVAL;
        return -2;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

} // namespace

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

int openPlain(const QString& path, int flags, StoreError* error) {
    // O_NONBLOCK: opening a pipe would otherwise wait for its other end, a device might too.
    const int fd = openNonBlocking(path, flags | O_NOFOLLOW, error);
    if (fd == -1) {
        const int e = errno;
        // A missing file in an existing directory is no missing directory.
        set(error, e == ENOENT && QFileInfo(QFileInfo(path).path()).isDir()
                       ? StoreError::of(StoreError::Kind::MissingFile, path, e)
                       : StoreError::fromErrno(e, path));
        errno = e;
    }
    return fd < 0 ? -1 : fd;
}

std::optional<QByteArray> readPlain(const QString& path, StoreError* error) {
    const int fd = openNonBlocking(path, O_RDONLY, error);
    if (fd == -1) {
        const int e = errno;
        set(error, e == ENOENT ? StoreError::of(StoreError::Kind::MissingFile, path, e)
                   : e == EIO  ? StoreError::of(StoreError::Kind::ReadFailed, path, e)
                               : StoreError::fromErrno(e, path));
    }
    if (fd < 0) {
        return std::nullopt;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        set(error, StoreError::of(StoreError::Kind::ReadFailed, path));
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        set(error, StoreError::of(StoreError::Kind::ReadFailed, path));
        return std::nullopt;
    }
    return bytes;
}

bool writeAll(int fd, const char* data, qint64 size) {
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

void syncDir(const QString& dir) {
    const int fd = ::open(native(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
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
    if (!writeAll(m_fd, data, size)) {
        m_errnum = errno;
        setErrorString(QString::fromLocal8Bit(std::strerror(m_errnum)));
        return -1;
    }
    return size;
}

} // namespace SafeFile
