#include "ui/lists/listboxes.h"

#include <QDir>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QStyle>

using namespace Qt::StringLiterals;

DriveListBox::DriveListBox(QWidget* parent) : QComboBox(parent) {
    setInsertPolicy(QComboBox::NoInsert);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
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
        setCurrentIndex(i);
    }
}

void DriveListBox::showDriveOf(const QString& path) {
    const QSignalBlocker block(this);
    setDrive(path);
}

DirListBox::DirListBox(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setIndentation(10);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QTreeWidget::itemActivated, this, &DirListBox::openRow);
}

bool DirListBox::setPath(const QString& path) {
    const QString place = readablePlace(path);
    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    // Each open directory is a child of the one above it; the subdirectories are children of
    // the last, the current directory.
    QTreeWidgetItem* current = nullptr;
    for (const DirEntry& e : dirListEntries(place)) {
        auto* item = current ? new QTreeWidgetItem(current) : new QTreeWidgetItem(this);
        item->setText(0, e.name);
        item->setIcon(0, e.open ? open : closed);
        item->setData(0, Qt::UserRole, e.path);
        if (e.open) {
            current = item;
        }
    }
    expandAll();
    if (current) {
        setCurrentItem(current);
        scrollToItem(current, QAbstractItemView::PositionAtTop);
    }
    if (place != m_path) {
        m_path = place;
        emit changed();
    }
    return place == QDir::cleanPath(path);
}

QString DirListBox::rowPath(int row) const {
    QTreeWidgetItem* item = topLevelItemCount() ? topLevelItem(0) : nullptr;
    for (int i = 0; item && i < row; ++i) {
        item = itemBelow(item);
    }
    return item ? item->data(0, Qt::UserRole).toString() : QString();
}

int DirListBox::rowCount() const {
    int n = 0;
    for (QTreeWidgetItem* item = topLevelItemCount() ? topLevelItem(0) : nullptr; item;
         item = itemBelow(item)) {
        ++n;
    }
    return n;
}

void DirListBox::openRow(QTreeWidgetItem* item) {
    if (!item) {
        return;
    }
    const QString target = item->data(0, Qt::UserRole).toString();
    if (!setPath(target)) {
        emit openFailed(target);
    }
}

AllFilesListBox::AllFilesListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void AllFilesListBox::setPath(const QString& path) {
    m_path = readablePlace(path);
    clear();
    addItems(listedFiles(m_path));
}

QStringList AllFilesListBox::names() const {
    QStringList out;
    for (int i = 0; i < count(); ++i) {
        out.append(item(i)->text());
    }
    return out;
}
