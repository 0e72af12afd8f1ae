#include "app/filelist.h"

#include <QDir>

void FileList::setPath(const QString& path) {
    m_path = path;
    refresh();
}

void FileList::refresh() {
    m_names.clear();
    if (m_path.isEmpty()) {
        return;
    }
    const QDir dir(m_path);
    m_names = dir.entryList({m_pattern}, QDir::Files, QDir::Name | QDir::IgnoreCase);
}
