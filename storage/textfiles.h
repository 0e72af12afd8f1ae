#pragma once

#include "storage/storeerror.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

// The text files of the collection directory as the manager reads, checks, renames, moves
// and copies them. No widgets here.

// Text of a file: UTF-8; a line that is not valid UTF-8 is taken as Windows-1252, so files
// in the Windows code page, and such files that later captures appended to, open without loss.
QString decodeFileText(const QByteArray& bytes);

// The manager's line rules: a line ends at CR LF or at a lone CR, a lone LF stays inside
// its line. Every line is written followed by lineEnd, the last one included, and a lone
// LF is written as loneLf. An empty text stays empty.
QString applyLineRules(QStringView text, QStringView lineEnd = u"\r\n", QChar loneLf = u'\n');

// What a file looked like on disk when its text was shown or saved, so that saving can
// tell whether something else wrote to it in the meantime. Only the bytes tell: a time
// stamp does not change within a clock tick, and a rewrite may keep the size.
struct DiskState {
    bool known = false; // false: no file was shown in this window yet
    bool exists = false;
    qint64 size = 0;
    size_t hash = 0;

    // The file as its bytes were just read or written.
    static DiskState of(const QByteArray& bytes);
    // A file known to be gone (this window deleted or moved it).
    static DiskState absent();
};

struct ReadResult {
    bool ok = false;
    QString text;     // decoded, line rules not yet applied
    QByteArray bytes; // instead of text, when not decoded
    DiskState disk;
    StoreError error;
};
// Reads a regular file whole; a read error fails the whole read.
ReadResult readTextFile(const QString& path, bool decode = true);

enum class DiskChange {
    None,     // nothing to lose: as shown, or gone, or empty
    Appended, // the shown bytes are still there, with more after them
    Replaced, // anything else
};
struct DiskCheck {
    DiskChange change = DiskChange::None;
    QString appended; // for Appended: the new part, with the line rules applied
    DiskState now;    // the file as it was just read, where it was read
};
DiskCheck checkDisk(const QString& path, const DiskState& shown);

// One step of "Speichern", free of widgets so that it can run off the window's thread: the
// check of the file on disk (when asked for), then, when nothing there would be lost, the
// write of the whole text.
struct SaveStep {
    DiskCheck check;      // change != None: a question is due, nothing was written
    bool written = false; // the text is on disk
    DiskState now;        // the file as written
};
SaveStep saveStep(const QString& path, const QByteArray& text, const DiskState& shown, bool check);

// True when something that reads as a file stands at the path (a directory does not).
bool isTextFile(const QString& path);

// A new name for a single text file, without ".txt" and already trimmed: it must name a
// visible file inside the collection directory.
bool acceptableBaseName(const QString& name);
// Renames dir + from to dir + to; never replaces an existing file.
bool renameTextFile(const QString& dir, const QString& from, const QString& to);
// Moves dir + name aside as dir + "backup.dat"; fails when a backup.dat exists already.
bool moveToBackup(const QString& dir, const QString& name);

// dir + separator + name, with no second separator after a root directory.
QString copyTarget(const QString& dir, const QString& name);
enum class CopyResult { Copied, Exists, Failed };
// Copies source into dir under name; an existing file is never replaced, and a copy that
// fails leaves no partial file behind.
CopyResult copyFileTo(const QString& source, const QString& dir, const QString& name);
