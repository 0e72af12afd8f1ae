#pragma once

#include <QSet>
#include <QString>

#include <vector>

// The files of one directory and the changes made to them since: what a file list needs to
// stay true without reading the directory again. Changes are collected by the system as
// they happen, by this program or any other, and are fetched without waiting.
class DirectoryWatch {
public:
    explicit DirectoryWatch(const QString& dir);
    ~DirectoryWatch();
    DirectoryWatch(const DirectoryWatch&) = delete;
    DirectoryWatch& operator=(const DirectoryWatch&) = delete;

    struct Change {
        bool added = false; // otherwise removed
        QString name;
    };
    // The changes since the last call. False when they cannot be told (no watch could be
    // set up, too many changes at once, the directory itself was moved or removed): then
    // the directory must be read again; the watch is set up anew for the next time.
    bool changes(std::vector<Change>& out);

private:
    void watch();

    QString m_dir;
    int m_fd = -1;
    bool m_lost = true;
};

// The names of the normal visible files in dir (a link counts as the file it points to);
// false when the directory cannot be read.
bool listFiles(const QString& dir, QSet<QString>& out);
// True when dir + name is a normal visible file.
bool isListedFile(const QString& dir, const QString& name);
