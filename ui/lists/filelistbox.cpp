#include "ui/lists/filelistbox.h"

#include "app/places.h"

FileListBox::FileListBox(const QString& pattern, QWidget* parent) : QListWidget(parent), m_files(pattern) {
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void FileListBox::setPath(const QString& path) {
    m_files.setPath(readablePlace(path));
    refresh();
}

void FileListBox::refresh() {
    m_files.refresh();
    clear();
    addItems(m_files.names());
}

QStringList FileListBox::names() const {
    QStringList out;
    for (int i = 0; i < count(); ++i) {
        out.append(item(i)->text());
    }
    return out;
}
