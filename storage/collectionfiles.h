#pragma once

#include "storage/filelist.h"

#include <QString>

// The names of the collection directory that the program gives itself.
inline const QString kCollectionFileName = QStringLiteral("clipbrd.dat");
inline const QString kBackupFileName = QStringLiteral("backup.dat");

// What the main window's counters show.
struct CollectionCounts {
    int texts = 0;         // "*.txt"
    int pictures = 0;      // "*.bmp" and "*.wmf" ("*.dib" is not counted)
    bool textData = false; // a normal file clipbrd.dat or backup.dat exists
};

// The file lists of the collection directory that decide the numbers of new files and what
// the counters show, as of their last refresh: "*.txt" numbers single texts, "*.bmp" bitmaps
// and snapshots, "*.wmf" vector pictures (stored under a ".bmp" name, so that their own list
// does not grow by them).
class CollectionFiles {
public:
    enum class List { Texts, Bitmaps, Metafiles };

    // The directory, with its separator; the lists are read anew.
    void setDirectory(const QString& dir);
    // Takes in what changed on the disk, in all lists or in one.
    void refresh();
    void refresh(List list);
    // The number a new file of that list starts its search at: its entry count.
    int count(List list) const { return of(list).listCount(); }
    const FileList& of(List list) const;
    CollectionCounts counts() const;

private:
    QString m_dir;
    FileList m_lists[3] = {FileList(QStringLiteral("*.txt")), FileList(QStringLiteral("*.bmp")),
                           FileList(QStringLiteral("*.wmf"))};
};
