#include "capture/numbering.h"

#include "capture/safefile.h"

#include <QFileInfo>

QString numberText(int n) {
    return n < 10 ? QStringLiteral("0") + QString::number(n) : QString::number(n);
}

QString claimNumberedFile(const QString& dir, int count, const QString& prefix, const QString& suffix,
                          QFile& out) {
    QString name = prefix + numberText(count) + suffix;
    for (int n = count; n < count + 100000; ++n) {
        if (n != count) {
            name = prefix + QString::number(n) + suffix;
        }
        out.setFileName(dir + name);
        if (out.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            return name;
        }
        // Taken (by a file, a directory or a dangling link): try the next number.
        if (!QFileInfo(dir + name).exists() && !QFileInfo(dir + name).isSymLink()) {
            return {};
        }
    }
    return {};
}

QString placeNumberedFile(int count, const QString& prefix, const QString& suffix, SafeFile::NewFile& file) {
    for (int n = count; n < count + 100000; ++n) {
        const QString name = prefix + (n == count ? numberText(n) : QString::number(n)) + suffix;
        switch (file.place(name)) {
        case SafeFile::Placed::Done:
            return name;
        case SafeFile::Placed::Failed:
            return {};
        case SafeFile::Placed::Taken:
            break;
        }
    }
    return {};
}
