#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <optional>

// The files that hold clipboard data. Clipboard data holds passwords, so everything here is
// private (new files 0600, new directories 0700, whatever the umask; existing ones keep their
// modes), only plain files are written (no link is followed, and a named pipe, socket or
// device never makes us wait), and a crash at any moment leaves either the old content or the
// new one, never a part of a piece.
//
// Free functions and a small class without widgets or shared state: safe to call from any
// thread, as long as two threads do not write the same file at once.
namespace SafeFile {

// Opens path with open(2) flags (O_WRONLY, O_APPEND, O_CREAT, ...) as a plain file: a symbolic
// link is not followed and a pipe, socket, device or directory is refused without waiting. A
// file it creates gets mode 0600. Returns the descriptor (blocking again, close-on-exec), or -1
// with the reason for the hint line in error.
int openPlain(const QString& path, int flags, QString* error);

// Reads a whole plain file (a link to one is followed); a pipe, socket or device is refused
// at once instead of waiting for a writer.
std::optional<QByteArray> readPlain(const QString& path, QString* error);

// Appends one record to the collection file and syncs it to disk before returning true. While
// the record is written, the file's length before and after it stand in a hidden side file
// beside it ("." + name + ".len", a symbolic link of ours whose target holds the file's inode and
// the two numbers); a kill or power cut in between leaves that side file, and the next append
// (or recoverAppend) cuts the unfinished record off again. A failed append is cut off at once.
// error receives the reason for the hint line. Where something else stands under the side
// file's name, it is left alone and the record is appended without the guard (unguarded).
bool appendRecord(const QString& path, const QByteArray& record, QString* error, bool* unguarded = nullptr);

// Finishes what an interrupted append left: a record written whole stays, an unfinished one
// (before < size < after, same file) is cut off, and our side file goes. A side file that is
// not ours is never touched (foreign). True when nothing was left or it was mended.
bool recoverAppend(const QString& path, QString* error = nullptr, bool* foreign = nullptr);

// Removes what an interrupted NewFile left in dir (hidden temporary files of ours).
void removeLeftovers(const QString& dir);

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

// The result of putting a new file into place.
enum class Placed { Done, Taken, Failed };

// A new file that is written under a temporary hidden name in its directory and appears under
// its real name only whole and synced. The name is claimed with link(2), which never replaces
// an existing file: a taken name is reported, so the caller can try the next one. The temporary
// file is removed when the object goes, whatever happened.
class NewFile final {
public:
    explicit NewFile(const QString& dir);
    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    // False when the temporary file could not be created (error() tells why).
    bool isOpen() const { return m_file.isOpen(); }
    // Write the content through this device.
    QIODevice& device() { return m_file; }
    // Syncs the content (once) and gives it the name name in the directory.
    Placed place(const QString& name);
    // The reason of the last failure, in the words of the hint line.
    QString error() const { return m_error; }
    // Notes a failed write through device(): its reason becomes error().
    void writeFailed();
    // Writes bytes whole; false with error() set otherwise.
    bool write(const QByteArray& bytes);

private:
    QString m_dir;
    QString m_temp;
    FdDevice m_file;
    QString m_error;
    bool m_synced = false;
    bool m_placed = false;
};

// The reason for the hint line for an errno value of a failed file operation.
QString reason(int errnum);

// Replaces the whole file atomically (QSaveFile, never written in place). A new file is
// private (0600); an existing one keeps its mode.
bool writeWhole(const QString& path, const QByteArray& bytes);

} // namespace SafeFile
