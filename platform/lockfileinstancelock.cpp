#include "platform/lockfileinstancelock.h"

#include <QDir>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

LockFileInstanceLock::LockFileInstanceLock(const QString& name) {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty()) {
        dir = QDir::tempPath();
    }
    QDir().mkpath(dir);
    m_lock = std::make_unique<QLockFile>(dir + u'/' + name + u".lock"_s);
}

bool LockFileInstanceLock::tryLock() {
    return m_lock->isLocked() || m_lock->tryLock(0);
}

std::unique_ptr<InstanceLock> takeInstanceLock() {
    auto lock = std::make_unique<LockFileInstanceLock>(u"snapwell"_s);
    if (!lock->tryLock()) {
        return nullptr;
    }
    return lock;
}
