#pragma once

#include <QString>

// "0" + digits below 10, the digits alone from 10 on.
QString numberText(int n);

namespace SafeFile {
class NewFile;
}

// Puts a written NewFile into place in its directory under the first free numbered name,
// starting at count: prefix + numberText(count) + suffix, then prefix + raised number (no
// leading zero) + suffix. A taken name is never replaced. Returns the name, empty on a
// failure (file.error() tells why).
QString placeNumberedFile(int count, const QString& prefix, const QString& suffix, SafeFile::NewFile& file);
