#pragma once

#include "app/places.h"

#include <QComboBox>
#include <QListWidget>
#include <QTreeWidget>

// The three lists of the chooser. Each one is pointed at a path by the program or by the
// user, and always shows a place that can be read: a path that cannot be listed puts the
// list on the nearest directory above it that can.

// The drive list: home directory and mounted volumes. A change of the selection, by the
// user or by setDrive(), is reported by QComboBox::currentIndexChanged.
class DriveListBox final : public QComboBox {
    Q_OBJECT
public:
    explicit DriveListBox(QWidget* parent = nullptr);

    void setDrives(const QList<Drive>& drives);
    const QList<Drive>& drives() const { return m_drives; }
    // The root of the selected drive.
    QString drive() const;
    // Selects the drive that contains the path.
    void setDrive(const QString& path);
    // The same, without reporting a change.
    void showDriveOf(const QString& path);

private:
    QList<Drive> m_drives;
};

// The directory list: the directories from the root down to the current one, and the
// subdirectories of the current one; activating a row (double-click, Return) opens it.
class DirListBox final : public QTreeWidget {
    Q_OBJECT
public:
    explicit DirListBox(QWidget* parent = nullptr);

    // The current directory, without a final separator (the root excepted).
    const QString& path() const { return m_path; }
    // Points the list at a directory and re-reads it. False when the list had to stop at a
    // directory above it.
    bool setPath(const QString& path);
    // The path of the row at the index, in display order.
    QString rowPath(int row) const;
    int rowCount() const;

signals:
    void changed();
    // A directory the user tried to open could not be listed.
    void openFailed(const QString& path);

protected:
    // The tree is always fully open: no expand marks.
    void drawBranches(QPainter*, const QRect&, const QModelIndex&) const override {}

private:
    void openRow(QTreeWidgetItem* item);
    QString m_path;
};

// The file list: every file of a directory, for information only.
class AllFilesListBox final : public QListWidget {
    Q_OBJECT
public:
    explicit AllFilesListBox(QWidget* parent = nullptr);

    const QString& path() const { return m_path; }
    void setPath(const QString& path);
    QStringList names() const;

private:
    QString m_path;
};
