#pragma once

#include <QByteArray>
#include <QString>

// AppModul: writes a text as the whole new content of a file, in UTF-8. The text gets one
// CR LF at its end unless it already ends in one, so showing and saving a file again and
// again does not grow it; an empty text gives a file of one CR LF. The old file is replaced
// only when the new one was written whole. Returns false on any failure (no file was shown
// yet, a missing directory, a full medium); written receives the bytes on success.
bool SaveTextFile(const QString& path, const QString& text, QByteArray* written = nullptr);
// The same for a text already in UTF-8.
bool SaveTextFile(const QString& path, QByteArray bytes, QByteArray* written = nullptr);
