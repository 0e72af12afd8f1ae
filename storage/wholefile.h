#pragma once

#include "storage/plainfile.h"

// Whole files: new ones that appear only complete and never replace a name, and atomic
// rewrites of existing ones.
namespace SafeFile {

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
    // What the last failure was.
    const StoreError& error() const { return m_error; }
    // Notes a failed write through device(): its cause becomes error().
    void writeFailed();
    // Writes bytes whole; false with error() set otherwise.
    bool write(const QByteArray& bytes);

private:
    QString m_dir;
    QString m_temp;
    FdDevice m_file;
    StoreError m_error;
    bool m_synced = false;
    bool m_placed = false;
};

// Removes what an interrupted NewFile left in dir (hidden temporary files of ours).
void removeLeftovers(const QString& dir);

// Replaces the whole file atomically (QSaveFile, never written in place). A new file is
// private (0600); an existing one keeps its mode.
bool writeWhole(const QString& path, const QByteArray& bytes);

} // namespace SafeFile
