#include "app/commands.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QString& AddBackslash(QString& path) {
    if (!path.endsWith(kSep)) {
        path += kSep;
    }
    return path;
}

bool DirExists(const QString& path) {
    if (path.isEmpty()) {
        return false;
    }
    const QFileInfo info(path);
    return info.isDir() && info.isExecutable();
}

bool FileExists(const QString& path) {
    if (path.isEmpty()) {
        return false;
    }
    // Only a plain file counts; opening a named pipe would wait for a writer forever.
    if (!QFileInfo(path).isFile()) {
        return false;
    }
    QFile f(path);
    const bool ok = f.open(QIODevice::ReadOnly);
    f.close();
    return ok;
}

bool CreatePath(QString& path) {
    if (DirExists(path)) {
        return true;
    }
    AddBackslash(path);
    if (!QDir::isAbsolutePath(path)) {
        return false;
    }
    // Level by level, so that a file standing in the way stops us where it stands.
    qsizetype pos = path.indexOf(kSep, 1);
    while (pos > 0) {
        const QString level = path.left(pos);
        const QFileInfo info(level);
        if (!info.exists()) {
            // Private: what we collect there may hold passwords.
            if (!QDir().mkdir(level, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) &&
                !QFileInfo(level).isDir()) {
                return false;
            }
        } else if (!info.isDir()) {
            return false;
        }
        pos = path.indexOf(kSep, pos + 1);
    }
    return DirExists(path);
}

QString LongPathName(const QString& path) {
    return path;
}
