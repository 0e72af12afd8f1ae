#include "storage/wholefile.h"

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
const QString kTempPrefix = u".snapwell-new-"_s;
} // namespace

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
            // The directory is what the log should name, not our temporary name in it.
            m_error.path = m_dir;
            return;
        }
        ::fchmod(fd, kPrivateMode);
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
    m_error = m_file.errnum() != 0 ? StoreError::fromErrno(m_file.errnum(), m_dir)
                                   : StoreError::of(StoreError::Kind::OutOfMemory, m_dir);
}

bool NewFile::write(const QByteArray& bytes) {
    if (m_file.write(bytes) == bytes.size()) {
        return true;
    }
    writeFailed();
    return false;
}

Placed NewFile::place(const QString& name) {
    if (!m_file.isOpen() || m_placed) {
        if (!m_error.failed()) {
            m_error = StoreError::of(StoreError::Kind::WriteFailed, m_dir + name);
        }
        return Placed::Failed;
    }
    if (!m_synced) {
        if (::fdatasync(m_file.handle()) != 0) {
            m_error = StoreError::fromErrno(errno, m_dir + name);
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
            m_error = StoreError::fromErrno(e, m_dir + name);
            return Placed::Failed;
        }
        if (::renameat2(AT_FDCWD, native(m_temp).constData(), AT_FDCWD, target.constData(),
                        RENAME_NOREPLACE) != 0) {
            if (errno == EEXIST) {
                return Placed::Taken;
            }
            m_error = StoreError::fromErrno(errno, m_dir + name);
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
