#pragma once

#include "storage/storeerror.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <optional>
#include <sys/types.h>

// The files that hold clipboard data. Clipboard data holds passwords, so everything here is
// private (new files 0600, new directories 0700, whatever the umask; existing ones keep their
// modes), only plain files are written (no link is followed, and a named pipe, socket or
// device never makes us wait), and a crash at any moment leaves either the old content or the
// new one, never a part of a piece.
//
// Free functions and small classes without widgets or shared state: safe to call from any
// thread, as long as two threads do not write the same file at once. This part: opening and
// reading plain files; guardedappend.h appends to the collection file, wholefile.h writes
// whole files.
namespace SafeFile {

// The mode of every file we create.
constexpr mode_t kPrivateMode = 0600;

QByteArray native(const QString& path);

// Opens path with open(2) flags (O_WRONLY, O_APPEND, O_CREAT, ...) as a plain file: a symbolic
// link is not followed and a pipe, socket, device or directory is refused without waiting. A
// file it creates gets mode 0600. Returns the descriptor (blocking again, close-on-exec), or -1
// with what failed in error.
int openPlain(const QString& path, int flags, StoreError* error);

// Reads a whole plain file (a link to one is followed); a pipe, socket or device is refused
// at once instead of waiting for a writer.
std::optional<QByteArray> readPlain(const QString& path, StoreError* error = nullptr);

// Writes all of data, going on after interruptions; false with errno set otherwise.
bool writeAll(int fd, const char* data, qint64 size);

// A new name in a directory is only durable once the directory itself is synced.
void syncDir(const QString& dir);

// Writes to a descriptor it owns, whole: a write either goes through completely or fails
// with its cause (errnum()), never comes back short.
class FdDevice final : public QIODevice {
public:
    ~FdDevice() override;
    bool openFd(int fd);
    void close() override;
    bool isSequential() const override { return true; }
    int handle() const { return m_fd; }
    int errnum() const { return m_errnum; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    int m_fd = -1;
    int m_errnum = 0;
};

} // namespace SafeFile
