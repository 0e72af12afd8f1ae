#pragma once

#include <QString>

// Profile values with the classic rules: names matched without regard to ASCII case,
// values trimmed and stripped of one pair of enclosing quotes, at most 2047 characters,
// an empty value counts as missing. Writing keeps every untouched line byte for byte,
// rewrites a key in place and adds a new key after the last non-blank line of its
// section. Lines end in CR LF. The file is replaced atomically.

QString ReadIniString(const QString& section, const QString& key, const QString& file,
                      const QString& defaultValue);
bool WriteIniString(const QString& section, const QString& key, const QString& value, const QString& file);

// Text of profile and text files: UTF-8, or Windows-1252 for files that are not valid UTF-8.
QString decodeText(const QByteArray& bytes);
