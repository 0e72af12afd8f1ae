#include "app/savetextfile.h"

#include <QSaveFile>

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
    QSaveFile file(path);
    // Writing straight into the old file would leave it half written on a failure.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        return false;
    }
    if (written) {
        *written = std::move(bytes);
    }
    return true;
}
