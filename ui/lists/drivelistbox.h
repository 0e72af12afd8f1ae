#pragma once

#include "app/places.h"

#include <QComboBox>
#include <QHash>

// The drive list: the home directory and the mounted volumes. A change of the selection, by
// the user or by setDrive(), is reported by QComboBox::currentIndexChanged; a choice by the
// user alone by QComboBox::activated.
//
// Each drive has a current directory: the one last shown on it, else its root.
class DriveListBox final : public QComboBox {
    Q_OBJECT
public:
    explicit DriveListBox(QWidget* parent = nullptr);

    void setDrives(const QList<Drive>& drives);
    const QList<Drive>& drives() const { return m_drives; }
    // The root of the selected drive; empty while none is selected.
    QString drive() const;
    // Selects the drive that holds the path (the deepest one) and makes the path its current
    // directory. A path on no drive changes nothing.
    void setDrive(const QString& path);
    // The same, without reporting a change.
    void showDriveOf(const QString& path);
    QString currentDirOf(const QString& root) const { return m_dirs.value(root, root); }

private:
    QList<Drive> m_drives;
    QHash<QString, QString> m_dirs;
};
