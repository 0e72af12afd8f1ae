// Files in temporary directories of their own: the fixture and helpers the file tests share.
#pragma once

#include "app/commands.h"
#include "storage/textfiles.h"
#include "tests/support/fixture.h"

#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

inline QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

inline int modeOf(const QString& path) {
    struct stat st {};
    return ::lstat(native(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

// The hidden entries of a directory besides the ones named.
inline QStringList hidden(const QString& dir) {
    return QDir(dir).entryList({u".*"_s},
                               QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

inline QString rules(const QByteArray& bytes) {
    return applyLineRules(decodeFileText(bytes));
}

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A call that waits on a pipe ends the test run instead of hanging it.
        ::alarm(20);
        ASSERT_TRUE(m_dir.isValid());
        m_path = m_dir.path() + u'/';
    }
    void TearDown() override { ::alarm(0); }
    QString at(const QString& name) const { return m_path + name; }
    // Our own section of a profile, by default p.ini.
    QString read(const QString& key, const QString& path = {}) const {
        return ReadIniString(u"Pelloran Snapwell"_s, key, path.isEmpty() ? at(u"p.ini"_s) : path, u"DEF"_s);
    }
    bool write(const QString& key, const QString& value, const QString& path = {}) const {
        return WriteIniString(u"Pelloran Snapwell"_s, key, value, path.isEmpty() ? at(u"p.ini"_s) : path);
    }

    QTemporaryDir m_dir;
    QString m_path;
};
