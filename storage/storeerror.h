#pragma once

#include <QString>

class QDebug;

// What went wrong with a file, as a value: the windows put it into words for the user, the log
// keeps the details. Nothing below the windows decides how a failure reads.
struct StoreError {
    enum class Kind {
        None,
        MissingDirectory, // the directory (or a part of the path) is gone
        MissingFile,      // the directory is there, the file is not
        NoFile,           // nothing that reads as a file stands at the path
        NotPlainFile,     // a link, pipe, device, socket or directory stands where a file belongs
        NoPermission,
        ReadOnly,
        DiskFull,
        OutOfMemory,
        ReadFailed,
        WriteFailed,
    };
    Kind kind = Kind::None;
    QString path;
    int errnum = 0; // the system's error number, 0 where the system gave none

    bool failed() const { return kind != Kind::None; }

    // The failure of a write-side call that set errnum.
    static StoreError fromErrno(int errnum, const QString& path);
    static StoreError of(Kind kind, const QString& path, int errnum = 0) { return {kind, path, errnum}; }
};

// For the log: the kind, the file and the system's own text for the error number.
QDebug operator<<(QDebug debug, const StoreError& error);
