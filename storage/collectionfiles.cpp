#include "storage/collectionfiles.h"

#include <QFileInfo>

void CollectionFiles::setDirectory(const QString& dir) {
    m_dir = dir;
    for (FileList& list : m_lists) {
        list.setPath(dir);
    }
}

void CollectionFiles::refresh() {
    for (FileList& list : m_lists) {
        list.refresh();
    }
}

void CollectionFiles::refresh(List list) {
    m_lists[int(list)].refresh();
}

const FileList& CollectionFiles::of(List list) const {
    return m_lists[int(list)];
}

CollectionCounts CollectionFiles::counts() const {
    CollectionCounts c;
    c.texts = count(List::Texts);
    c.pictures = count(List::Metafiles) + count(List::Bitmaps);
    c.textData = !m_dir.isEmpty() && (QFileInfo(m_dir + kCollectionFileName).isFile() ||
                                      QFileInfo(m_dir + kBackupFileName).isFile());
    return c;
}
