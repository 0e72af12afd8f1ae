#include "ui/lists/dirlistbox.h"

#include "app/places.h"

#include <QDir>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>

DirListBox::DirListBox(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setIndentation(10);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Long names are shown whole, with a horizontal scroll bar rather than cut short.
    setTextElideMode(Qt::ElideNone);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
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
        // As much of the way down to it as fits, and the directory itself in any case.
        resizeColumnToContents(0);
        scrollToTop();
        scrollToItem(current, QAbstractItemView::EnsureVisible);
        horizontalScrollBar()->setValue(0);
        // A horizontal scroll bar that appears with the new widths takes a row's height from
        // the view once the layout has run: scroll again then.
        QTimer::singleShot(0, this, [this] {
            if (QTreeWidgetItem* item = currentItem()) {
                scrollToItem(item, QAbstractItemView::EnsureVisible);
            }
        });
    }
    m_path = place;
    emit changed();
    return place == QDir::cleanPath(path);
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
