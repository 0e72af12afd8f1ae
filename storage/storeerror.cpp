#include "storage/storeerror.h"

#include <QDebug>

#include <cerrno>
#include <cstring>

StoreError StoreError::fromErrno(int errnum, const QString& path) {
    Kind kind = Kind::WriteFailed;
    switch (errnum) {
    case ENOENT:
    case ENOTDIR:
        kind = Kind::MissingDirectory;
        break;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        kind = Kind::DiskFull;
        break;
    case ELOOP:
    case ENXIO:
    case EISDIR:
    case ENODEV:
    case EWOULDBLOCK:
        kind = Kind::NotPlainFile;
        break;
    case EACCES:
    case EPERM:
        kind = Kind::NoPermission;
        break;
    case EROFS:
        kind = Kind::ReadOnly;
        break;
    default:
        break;
    }
    return {kind, path, errnum};
}

QDebug operator<<(QDebug debug, const StoreError& error) {
    static const char* const names[] = {
        "none",      "missing directory", "missing file",  "no file",    "not a plain file", "no permission",
        "read-only", "disk full",         "out of memory", "read error", "write error"};
    const QDebugStateSaver saver(debug);
    debug.nospace().noquote() << names[int(error.kind)];
    if (!error.path.isEmpty()) {
        debug << " (" << error.path;
        if (error.errnum != 0) {
            debug << ": " << std::strerror(error.errnum);
        }
        debug << ')';
    } else if (error.errnum != 0) {
        debug << " (" << std::strerror(error.errnum) << ')';
    }
    return debug;
}
