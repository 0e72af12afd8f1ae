#include "app/savetextfile.h"

#include <QSaveFile>

using namespace Qt::StringLiterals;

bool SaveTextFile(const QString& path, const QString& text, QByteArray* written) {
    if (path.isEmpty()) {
        return false;
    }
    QByteArray bytes = text.toUtf8();
    if (!bytes.endsWith("\r\n")) {
        bytes += "\r\n";
    }
    QSaveFile file(path);
    // Writing straight into the old file would leave it half written on a failure.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    // commit() does not see a failure of the last flush and would put a cut file in place.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
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
