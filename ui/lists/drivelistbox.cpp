#include "ui/lists/drivelistbox.h"

#include <QDir>
#include <QSignalBlocker>
#include <QStyle>

DriveListBox::DriveListBox(QWidget* parent) : QComboBox(parent) {
    setInsertPolicy(QComboBox::NoInsert);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setDrives(availableDrives());
}

void DriveListBox::setDrives(const QList<Drive>& drives) {
    const QSignalBlocker block(this);
    m_drives = drives;
    clear();
    for (const Drive& d : drives) {
        addItem(style()->standardIcon(QStyle::SP_DriveHDIcon), d.label);
    }
    // No drive is selected until the list is pointed at one, so that the first setDrive()
    // always reports its change.
    setCurrentIndex(-1);
}

QString DriveListBox::drive() const {
    const int i = currentIndex();
    return i >= 0 && i < m_drives.size() ? m_drives[i].root : QString();
}

void DriveListBox::setDrive(const QString& path) {
    const int i = driveIndexFor(m_drives, path);
    if (i >= 0) {
        m_dirs.insert(m_drives[i].root, QDir::cleanPath(path));
        setCurrentIndex(i);
    }
}

void DriveListBox::showDriveOf(const QString& path) {
    const QSignalBlocker block(this);
    setDrive(path);
}
