#pragma once

#include <QMutex>
#include <QString>
#include <QStringList>

#include <memory>

class DirectoryIndex;

// A hidden file list: the names of the normal files of one directory that match a pattern,
// sorted by name, as of the last refresh. Directories, hidden and system files are left out.
//
// The directory is read once; after that a refresh only takes in the changes the system
// reports, whoever made them, so that it costs next to nothing in a directory of thousands
// of files. Lists on the same directory share one reading. Safe to use from several threads.
class FileList {
public:
    explicit FileList(QString pattern);
    ~FileList();

    // The path is set by the list's owner; refreshing and counting may happen anywhere.
    void setPath(const QString& path);
    const QString& path() const { return m_path; }
    void refresh();
    int listCount() const;
    QStringList names() const;

private:
    bool matches(const QString& name) const;

    mutable QMutex m_mutex;
    QString m_pattern;
    QString m_suffix; // the pattern "*" + m_suffix, matched without regard to case
    bool m_all = false;
    QString m_path;
    std::shared_ptr<DirectoryIndex> m_index;
    quint64 m_generation = 0;
    mutable QStringList m_names; // unsorted until names() is asked
    mutable bool m_sorted = false;
};
