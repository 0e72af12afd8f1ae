#pragma once

#include "storage/filelist.h"

#include <QListWidget>

// The file list: the names of the files of a directory that match a pattern, for information
// only. Like the directory list it always shows a place that can be read.
class FileListBox final : public QListWidget {
    Q_OBJECT
public:
    explicit FileListBox(const QString& pattern, QWidget* parent = nullptr);

    const QString& path() const { return m_files.path(); }
    void setPath(const QString& path);
    // Takes in what changed in the directory since it was last read.
    void refresh();
    QStringList names() const;

private:
    FileList m_files;
};
