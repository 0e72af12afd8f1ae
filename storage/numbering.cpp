#include "storage/numbering.h"

#include "storage/wholefile.h"

QString numberText(int n) {
    return n < 10 ? QStringLiteral("0") + QString::number(n) : QString::number(n);
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
