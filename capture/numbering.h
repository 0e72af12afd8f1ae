#pragma once

#include <QFile>
#include <QString>

// "0" + digits below 10, the digits alone from 10 on.
QString numberText(int n);

// Claims the first free numbered name in dir, starting at count: prefix + numberText(count)
// + suffix, then prefix + raised number (no leading zero) + suffix. The file is created
// with NewOnly, so an existing file is never taken over. Returns the name, empty on a
// failure other than "exists"; the open file is left in out, unbuffered, so that a write
// that fails reports its cause at once.
QString claimNumberedFile(const QString& dir, int count, const QString& prefix, const QString& suffix,
                          QFile& out);

namespace SafeFile {
class NewFile;
}

// Puts a written NewFile into place in its directory under the first free numbered name, by
// the same rule as claimNumberedFile; a taken name is never replaced. Returns the name, empty
// on a failure (file.error() tells why).
QString placeNumberedFile(int count, const QString& prefix, const QString& suffix, SafeFile::NewFile& file);
