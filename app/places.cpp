#include "app/places.h"

#include "app/commands.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

bool contains(const QString& root, const QString& path) {
    if (root == QDir::rootPath()) {
        return path.startsWith(kSep);
    }
    return path == root || path.startsWith(root + kSep);
}

} // namespace

bool isPseudoFileSystem(const QByteArray& type) {
    static const QList<QByteArray> pseudo = {
        "proc",       "sysfs",      "devtmpfs", "devpts",          "tmpfs",       "ramfs",    "cgroup",
        "cgroup2",    "securityfs", "debugfs",  "tracefs",         "pstore",      "bpf",      "mqueue",
        "hugetlbfs",  "configfs",   "fusectl",  "autofs",          "binfmt_misc", "efivarfs", "nsfs",
        "rpc_pipefs", "selinuxfs",  "squashfs", "fuse.gvfsd-fuse", "fuse.portal", "overlay"};
    return pseudo.contains(type);
}

// Removable media that the desktop mounts under /run/media are the user's.
bool isSystemMountPoint(const QString& root) {
    if (root.startsWith(u"/run/media/"_s)) {
        return false;
    }
    for (const QString& prefix : {u"/proc"_s, u"/sys"_s, u"/dev"_s, u"/run"_s, u"/boot"_s}) {
        if (root == prefix || root.startsWith(prefix + kSep)) {
            return true;
        }
    }
    return false;
}

QList<Drive> availableDrives() {
    QList<Drive> drives;
    const QString home = QDir::cleanPath(QDir::homePath());
    drives.append({home + u"  [Persönlicher Ordner]"_s, home});

    QList<Drive> volumes;
    bool haveRoot = false;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = QDir::cleanPath(volume.rootPath());
        // Single files bound into place (a container's /etc/hosts) are mount points too.
        if (!volume.isValid() || isPseudoFileSystem(volume.fileSystemType()) || isSystemMountPoint(root) ||
            !QFileInfo(root).isDir() || root == home) {
            continue;
        }
        if (std::any_of(volumes.cbegin(), volumes.cend(), [&](const Drive& d) { return d.root == root; })) {
            continue;
        }
        haveRoot = haveRoot || root == QDir::rootPath();
        const QString name = volume.name();
        volumes.append({name.isEmpty() ? root : root + u"  ["_s + name + u']', root});
    }
    if (!haveRoot) {
        volumes.append({QDir::rootPath(), QDir::rootPath()});
    }
    std::sort(volumes.begin(), volumes.end(), [](const Drive& a, const Drive& b) { return a.root < b.root; });
    drives += volumes;
    return drives;
}

bool isListable(const QString& path) {
    const QFileInfo info(path);
    return QDir::isAbsolutePath(path) && info.isDir() && info.isReadable() && info.isExecutable();
}

int driveIndexFor(const QList<Drive>& drives, const QString& path) {
    const QString clean = QDir::cleanPath(path);
    int best = -1;
    for (int i = 0; i < drives.size(); ++i) {
        if (contains(drives[i].root, clean) &&
            (best < 0 || drives[i].root.size() > drives[best].root.size())) {
            best = i;
        }
    }
    return best;
}

QString readablePlace(const QString& path) {
    QString place = QDir::cleanPath(path);
    if (!QDir::isAbsolutePath(place)) {
        return QDir::rootPath();
    }
    while (!isListable(place)) {
        if (QDir(place).isRoot()) {
            break;
        }
        place = QFileInfo(place).path();
    }
    return place;
}

QList<DirEntry> dirListEntries(const QString& dir) {
    QList<DirEntry> entries;
    const QString clean = QDir::cleanPath(dir);
    if (!QDir::isAbsolutePath(clean)) {
        return entries;
    }
    entries.append({QDir::rootPath(), QDir::rootPath(), true});
    QString path;
    for (const QString& name : clean.split(kSep, Qt::SkipEmptyParts)) {
        path += kSep + name;
        entries.append({path, name, true});
    }
    const QDir listed(clean);
    // Hidden directories too: the default collection directory lies below one, and the path
    // box takes no dots, so the list is the only way back there.
    const QStringList subdirs =
        listed.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : subdirs) {
        entries.append({listed.filePath(name), name, false});
    }
    return entries;
}

bool isRefusedPathChar(QChar c) {
    // The separator is our own; the backslash takes the place of the foreign separator.
    static const QString refused = u"\\.,*:;\""_s;
    return refused.contains(c);
}
