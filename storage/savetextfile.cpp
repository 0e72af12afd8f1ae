#include "storage/savetextfile.h"

#include "storage/wholefile.h"

using namespace Qt::StringLiterals;

bool SaveTextFile(const QString& path, const QString& text, QByteArray* written) {
    return SaveTextFile(path, text.toUtf8(), written);
}

bool SaveTextFile(const QString& path, QByteArray bytes, QByteArray* written) {
    if (path.isEmpty()) {
        return false;
    }
    if (!bytes.endsWith("\r\n")) {
        bytes += "\r\n";
    }
    if (!SafeFile::writeWhole(path, bytes)) {
        return false;
    }
    if (written) {
        *written = std::move(bytes);
    }
    return true;
}
