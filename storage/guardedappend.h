#pragma once

#include "storage/storeerror.h"

#include <QByteArray>
#include <QString>

// The crash-safe append to the collection file.
namespace SafeFile {

// Appends one record to the collection file and syncs it to disk before returning true. While
// the record is written, the file's length before and after it stand in a hidden side file
// beside it ("." + name + ".len", a symbolic link of ours whose target holds the file's inode,
// the two numbers and a check of the record's last bytes); a kill or power cut in between
// leaves that side file, and the next append (or recoverAppend) mends the file. A failed
// append is cut off at once. Where something else stands under the side file's name, it is
// left alone and the record is appended without the guard (unguarded).
bool appendRecord(const QString& path, const QByteArray& record, StoreError* error,
                  bool* unguarded = nullptr);

// Finishes what an interrupted append left. A record written whole stays. From an unfinished
// one (the same file, longer than before it, and shorter than after it or with other bytes at
// its end) everything from the record's start on, an unfinished record and whatever another
// program appended after it, is moved into a file of its own beside the collection file
// (name + ".rest-" + time, never replacing one), and the collection file ends where it ended
// before the record. Our side file goes; one that is not ours is never touched (foreign).
// True when nothing was left or it was mended; when the rest cannot be moved aside, nothing is
// cut and false comes back.
bool recoverAppend(const QString& path, StoreError* error = nullptr, bool* foreign = nullptr);

// The target of the side file while record is appended to a file of that inode and length:
// what a crash leaves, for tests and tools that make that state.
QByteArray crashGuardTarget(quint64 inode, qint64 before, const QByteArray& record);

} // namespace SafeFile
