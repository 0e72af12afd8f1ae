#pragma once

#include <QString>

// Path helpers. The directory separator is the platform's own.

inline constexpr QChar kSep = u'/';

QString& AddBackslash(QString& path);
bool DirExists(const QString& path);
bool FileExists(const QString& path);
// Creates every missing level of an absolute directory path; the caller's variable ends in
// the separator afterwards. True when every level exists.
bool CreatePath(QString& path);
// Paths have one form here: an existing path comes back unchanged, a missing one unchanged
// too (re-casing would move files on a case-sensitive file system).
QString LongPathName(const QString& path);
