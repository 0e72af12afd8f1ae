#pragma once

#include "app/filelist.h"

#include <QComboBox>
#include <QHash>
#include <QListWidget>

// The drive, directory and file lists of the manager's copy panel, on the same places as
// the chooser's lists (app/places.h).

// The places to copy to, as the chooser offers them (availableDrives()). Each entry's
// "drive" is its root directory.
class DriveList final : public QComboBox {
    Q_OBJECT
public:
    explicit DriveList(QWidget* parent = nullptr);
    void refresh();
    QString drive() const;
    // Chooses the entry whose root holds the path (the deepest one); false when none does.
    bool setDriveFor(const QString& path);
    // The directory last opened on a drive in this window, else the drive's root.
    QString currentDirOf(const QString& drive) const;
    void rememberDir(const QString& dir);

    static QStringList volumes();

private:
    QString driveFor(const QString& path) const;
    QHash<QString, QString> m_dirs;
};

// A directory list: the opened directory with its ancestors above it and its
// subdirectories below it. A click highlights an entry; a double click (or Enter) opens it.
// Only the opened directory is the list's path.
class DirList final : public QListWidget {
    Q_OBJECT
public:
    explicit DirList(QWidget* parent = nullptr);
    // The opened directory, without a final separator except for the root.
    const QString& path() const { return m_path; }
    // Opens a directory; false, and nothing changes, when it is no readable directory.
    bool setPath(const QString& dir);
    void refresh();

signals:
    void changed();
    void clicked();

private:
    QString m_path;
};

// A visible file list: the names of the files of one directory that match a pattern.
class FileListBox final : public QListWidget {
    Q_OBJECT
public:
    FileListBox(const QString& pattern, QWidget* parent = nullptr);
    void setPath(const QString& dir);
    const QString& path() const { return m_files.path(); }
    void refresh();

private:
    FileList m_files;
};

// Normalises a directory path: absolute, clean, no final separator except for the root.
QString plainDir(const QString& dir);
