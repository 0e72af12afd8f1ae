#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// What the drive, directory and file lists of every window show (the chooser's and the
// manager's copy panel): the places a directory can be picked from, the directories around
// one directory, and the files of a directory. No widgets here.

// A "drive": a mounted volume or the home directory, with the text the drive list shows.
struct Drive {
    QString label;
    QString root; // without a final separator, except for the file system root itself
};

// File systems that hold no user files (kernel interfaces, memory-only scratch space, the
// layers of a container's root).
bool isPseudoFileSystem(const QByteArray& type);
// Mount points that belong to the system rather than the user (/proc, /boot, ...).
bool isSystemMountPoint(const QString& root);
// The home directory first, then the mounted volumes that can hold a collection directory.
QList<Drive> availableDrives();
// The drive whose root contains the path (the deepest one); -1 when none does.
int driveIndexFor(const QList<Drive>& drives, const QString& path);

// An absolute path of a directory that exists and can be listed.
bool isListable(const QString& path);
// The nearest directory at or above the path that exists and can be listed; the file system
// root when nothing else can. Without a final separator, except for the root.
QString readablePlace(const QString& path);

// One row of the directory list: the directories from the root down to the shown one
// (open), then the subdirectories of the shown one (closed), hidden ones included.
struct DirEntry {
    QString path;
    QString name;
    bool open = false;
};
QList<DirEntry> dirListEntries(const QString& dir);

// Characters that cannot be typed into the chooser's path box.
bool isRefusedPathChar(QChar c);
