#include "storage/filelist.h"

#include "platform/dirwatch.h"

#include <QDir>
#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <vector>

// One directory's normal files, read once and kept true by the changes the system reports.
class DirectoryIndex {
public:
    explicit DirectoryIndex(QString dir) : m_dir(std::move(dir)), m_watch(m_dir) {}

    // Takes in what changed since the last call; calls use(files, generation) under the lock.
    template <typename Use> void update(Use&& use) {
        QMutexLocker lock(&m_mutex);
        std::vector<DirectoryWatch::Change> changes;
        if (!m_watch.changes(changes) || !m_read) {
            // The watch is set up before the reading, so nothing falls between the two.
            m_read = listFiles(m_dir, m_files);
            ++m_generation;
        } else if (!changes.empty()) {
            for (const DirectoryWatch::Change& c : changes) {
                // Looked at now: a file added and removed again since is not listed.
                if (c.added && isListedFile(m_dir, c.name)) {
                    m_files.insert(c.name);
                } else if (!c.added) {
                    m_files.remove(c.name);
                }
            }
            ++m_generation;
        }
        use(m_files, m_generation);
    }

    // One index per directory, shared by the lists on it while any of them lives.
    static std::shared_ptr<DirectoryIndex> of(const QString& dir) {
        static QMutex mutex;
        static QHash<QString, std::weak_ptr<DirectoryIndex>> indexes;
        QMutexLocker lock(&mutex);
        const QString key = QDir::cleanPath(dir);
        std::shared_ptr<DirectoryIndex> index = indexes.value(key).lock();
        if (!index) {
            index = std::make_shared<DirectoryIndex>(dir);
            indexes.insert(key, index);
            indexes.removeIf([](const auto& entry) { return entry.value().expired(); });
        }
        return index;
    }

private:
    QMutex m_mutex;
    QString m_dir;
    DirectoryWatch m_watch;
    QSet<QString> m_files;
    quint64 m_generation = 0;
    bool m_read = false;
};

FileList::FileList(QString pattern) : m_pattern(std::move(pattern)) {
    if (m_pattern == u"*") {
        m_all = true;
    } else if (m_pattern.startsWith(u'*') && !m_pattern.mid(1).contains(QRegularExpression(u"[*?\\[]"_qs))) {
        m_suffix = m_pattern.mid(1);
    }
}

FileList::~FileList() = default;

bool FileList::matches(const QString& name) const {
    if (m_all) {
        return true;
    }
    if (!m_suffix.isNull()) {
        return name.endsWith(m_suffix, Qt::CaseInsensitive);
    }
    return QDir::match(m_pattern, name);
}

void FileList::setPath(const QString& path) {
    {
        QMutexLocker lock(&m_mutex);
        m_path = path;
        m_index = path.isEmpty() ? nullptr : DirectoryIndex::of(path);
        m_generation = 0;
    }
    refresh();
}

void FileList::refresh() {
    QMutexLocker lock(&m_mutex);
    if (!m_index) {
        m_names.clear();
        return;
    }
    m_index->update([this](const QSet<QString>& files, quint64 generation) {
        if (generation == m_generation) {
            return;
        }
        m_generation = generation;
        m_names.clear();
        for (const QString& name : files) {
            if (matches(name)) {
                m_names.append(name);
            }
        }
        m_sorted = false;
    });
}

int FileList::listCount() const {
    QMutexLocker lock(&m_mutex);
    return int(m_names.size());
}

QStringList FileList::names() const {
    QMutexLocker lock(&m_mutex);
    if (!m_sorted) {
        std::sort(m_names.begin(), m_names.end(), [](const QString& a, const QString& b) {
            const int byCase = a.compare(b, Qt::CaseInsensitive);
            return byCase != 0 ? byCase < 0 : a < b;
        });
        m_sorted = true;
    }
    return m_names;
}
