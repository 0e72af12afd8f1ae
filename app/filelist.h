#pragma once

#include <QString>
#include <QStringList>

// A hidden file list: the names of the normal files of one directory that match a pattern,
// sorted by name, as of the last refresh. Directories, hidden and system files are left out.
class FileList {
public:
    explicit FileList(QString pattern) : m_pattern(std::move(pattern)) {}

    void setPath(const QString& path);
    const QString& path() const { return m_path; }
    void refresh();
    int listCount() const { return int(m_names.size()); }
    const QStringList& names() const { return m_names; }

private:
    QString m_pattern;
    QString m_path;
    QStringList m_names;
};
