#include "ui/lists/copylists.h"

#include "app/places.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStyle>

using namespace Qt::StringLiterals;

namespace {

constexpr int kPathRole = Qt::UserRole;

bool holds(const QString& root, const QString& path) {
    return path == root || root == u"/"_s || path.startsWith(root + u'/');
}

} // namespace

QString plainDir(const QString& dir) {
    if (dir.isEmpty()) {
        return {};
    }
    return QDir::cleanPath(QDir(dir).absolutePath());
}

DriveList::DriveList(QWidget* parent) : QComboBox(parent) {
    refresh();
}

QStringList DriveList::volumes() {
    QStringList roots;
    for (const Drive& d : availableDrives()) {
        roots.append(d.root);
    }
    return roots;
}

void DriveList::refresh() {
    const QString chosen = drive();
    clear();
    const QIcon icon = QApplication::style()->standardIcon(QStyle::SP_DriveHDIcon);
    for (const Drive& d : availableDrives()) {
        addItem(icon, d.label, d.root);
    }
    const int again = findData(chosen);
    setCurrentIndex(again >= 0 ? again : 0);
}

QString DriveList::drive() const {
    return currentData(kPathRole).toString();
}

QString DriveList::driveFor(const QString& path) const {
    QString best;
    for (int i = 0; i < count(); ++i) {
        const QString root = itemData(i, kPathRole).toString();
        if (holds(root, path) && root.size() > best.size()) {
            best = root;
        }
    }
    return best;
}

bool DriveList::setDriveFor(const QString& path) {
    const QString root = driveFor(plainDir(path));
    if (root.isEmpty()) {
        return false;
    }
    setCurrentIndex(findData(root));
    return true;
}

QString DriveList::currentDirOf(const QString& drive) const {
    return m_dirs.value(drive, drive);
}

void DriveList::rememberDir(const QString& dir) {
    const QString root = driveFor(dir);
    if (!root.isEmpty()) {
        m_dirs.insert(root, dir);
    }
}

DirList::DirList(QWidget* parent) : QListWidget(parent) {
    connect(this, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { setPath(item->data(kPathRole).toString()); });
    connect(this, &QListWidget::itemClicked, this, &DirList::clicked);
}

bool DirList::setPath(const QString& dir) {
    const QString clean = plainDir(dir);
    const QFileInfo info(clean);
    if (clean.isEmpty() || !info.isDir() || !info.isReadable() || !info.isExecutable()) {
        return false;
    }
    m_path = clean;
    refresh();
    emit changed();
    return true;
}

void DirList::refresh() {
    clear();
    if (m_path.isEmpty()) {
        return;
    }
    QStyle* style = QApplication::style();
    const QIcon open = style->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style->standardIcon(QStyle::SP_DirClosedIcon);
    // The root, then each level down to the opened directory, then its subdirectories.
    QListWidgetItem* current = nullptr;
    for (const DirEntry& e : dirListEntries(m_path)) {
        auto* item = new QListWidgetItem(e.open ? open : closed, QString(e.depth * 2, u' ') + e.name, this);
        item->setData(kPathRole, e.path);
        if (e.open) {
            current = item;
        }
    }
    setCurrentItem(current);
}

FileListBox::FileListBox(const QString& pattern, QWidget* parent) : QListWidget(parent), m_files(pattern) {}

void FileListBox::setPath(const QString& dir) {
    m_files.setPath(dir);
    clear();
    addItems(m_files.names());
}

void FileListBox::refresh() {
    setPath(m_files.path());
}
