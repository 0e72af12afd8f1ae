#pragma once

#include <QString>

// Profile values with the classic rules: names matched without regard to ASCII case,
// values stripped of the spaces and tabs around them and of one pair of enclosing quotes,
// at most 2047 characters, an empty value counts as missing; a line ends at CR LF, LF or a
// lone CR, and a line without "=" holds no key. Writing keeps every untouched line byte for
// byte, rewrites a key in place, adds a new key after the last non-blank line of its
// section and leaves the file alone when the key already has the value. New lines end in
// CR LF. The file is replaced atomically.

QString ReadIniString(const QString& section, const QString& key, const QString& file,
                      const QString& defaultValue);
bool WriteIniString(const QString& section, const QString& key, const QString& value, const QString& file);

// The blanks around profile names and values: spaces and tabs; other white space is kept.
QString trimBlanks(const QString& s);

// Text of profile and text files: UTF-8, or Windows-1252 for files that are not valid UTF-8.
QString decodeText(const QByteArray& bytes);
