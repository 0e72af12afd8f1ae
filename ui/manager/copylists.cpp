#include "ui/manager/copylists.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <QStyle>

using namespace Qt::StringLiterals;

namespace {

constexpr int kPathRole = Qt::UserRole;

bool isPseudo(const QStorageInfo& volume) {
    static const QList<QByteArray> kTypes = {
        "tmpfs",   "devtmpfs", "ramfs",    "proc",        "sysfs",    "cgroup",  "cgroup2",   "devpts",
        "mqueue",  "debugfs",  "tracefs",  "securityfs",  "pstore",   "bpf",     "hugetlbfs", "configfs",
        "fusectl", "autofs",   "efivarfs", "binfmt_misc", "squashfs", "overlay", "nsfs",      "rpc_pipefs"};
    if (kTypes.contains(volume.fileSystemType())) {
        return true;
    }
    const QString root = volume.rootPath();
    for (const auto& system : {u"/proc"_s, u"/sys"_s, u"/dev"_s, u"/run"_s, u"/boot"_s}) {
        if ((root == system || root.startsWith(system + u'/')) && !root.startsWith(u"/run/media/"_s)) {
            return true;
        }
    }
    return false;
}

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
    QStringList roots{plainDir(QDir::homePath()), u"/"_s};
    QStringList more;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady() || isPseudo(volume)) {
            continue;
        }
        const QString root = plainDir(volume.rootPath());
        if (!roots.contains(root) && !more.contains(root)) {
            more.append(root);
        }
    }
    more.sort();
    return roots + more;
}

void DriveList::refresh() {
    const QString chosen = drive();
    clear();
    const QIcon icon = QApplication::style()->standardIcon(QStyle::SP_DriveHDIcon);
    for (const QString& root : volumes()) {
        const QString name = QStorageInfo(root).name();
        addItem(icon, name.isEmpty() ? root : root + u"  ["_s + name + u']', root);
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
    const auto add = [this](const QIcon& icon, int level, const QString& name, const QString& path) {
        auto* item = new QListWidgetItem(icon, QString(level * 2, u' ') + name, this);
        item->setData(kPathRole, path);
        return item;
    };
    // The root, then each level down to the opened directory.
    QListWidgetItem* current = add(open, 0, u"/"_s, u"/"_s);
    int level = 0;
    QString path;
    for (const QString& part : m_path.split(u'/', Qt::SkipEmptyParts)) {
        path += u'/' + part;
        current = add(open, ++level, part, path);
    }
    const QDir dir(m_path);
    for (const QString& sub :
         dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        add(closed, level + 1, sub, m_path == u"/"_s ? m_path + sub : m_path + u'/' + sub);
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
