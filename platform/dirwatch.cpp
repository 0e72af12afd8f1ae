#include "platform/dirwatch.h"

#include <QFile>

#include <cerrno>
#include <dirent.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uint32_t kMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF |
                           IN_MOVE_SELF | IN_ONLYDIR | IN_DONT_FOLLOW;

bool isRegular(const QByteArray& path) {
    struct stat st {};
    return ::stat(path.constData(), &st) == 0 && S_ISREG(st.st_mode);
}

QByteArray entryPath(const QString& dir, const QString& name) {
    QByteArray path = QFile::encodeName(dir);
    if (!path.endsWith('/')) {
        path += '/';
    }
    return path + QFile::encodeName(name);
}

} // namespace

DirectoryWatch::DirectoryWatch(const QString& dir) : m_dir(dir) {
    watch();
}

DirectoryWatch::~DirectoryWatch() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

void DirectoryWatch::watch() {
    // A fresh descriptor, so that no event of an earlier watch is left in the queue.
    if (m_fd >= 0) {
        ::close(m_fd);
    }
    m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    m_lost = m_fd < 0 || ::inotify_add_watch(m_fd, QFile::encodeName(m_dir).constData(), kMask) < 0;
}

bool DirectoryWatch::changes(std::vector<Change>& out) {
    out.clear();
    if (m_lost) {
        watch();
        return false;
    }
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n <= 0) {
            if (n < 0 && errno == EINTR) {
                continue;
            }
            break;
        }
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            if (event->mask & (IN_Q_OVERFLOW | IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT)) {
                m_lost = true;
            } else if (event->len > 0 && !(event->mask & IN_ISDIR)) {
                out.push_back(
                    {(event->mask & (IN_CREATE | IN_MOVED_TO)) != 0, QFile::decodeName(event->name)});
            }
        }
    }
    if (m_lost) {
        watch();
        return false;
    }
    return true;
}

bool listFiles(const QString& dir, QSet<QString>& out) {
    out.clear();
    QByteArray path = QFile::encodeName(dir);
    DIR* d = ::opendir(path.constData());
    if (!d) {
        return false;
    }
    if (!path.endsWith('/')) {
        path += '/';
    }
    while (const dirent* e = ::readdir(d)) {
        if (e->d_name[0] == '.') {
            continue;
        }
        // The entry's kind comes with it; only a link or an unknown kind costs a look.
        if (e->d_type == DT_REG ||
            ((e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) && isRegular(path + e->d_name))) {
            out.insert(QFile::decodeName(e->d_name));
        }
    }
    ::closedir(d);
    return true;
}

bool isListedFile(const QString& dir, const QString& name) {
    return !name.startsWith(u'.') && isRegular(entryPath(dir, name));
}
