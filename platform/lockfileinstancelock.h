#pragma once

#include "platform/instancelock.h"

#include <QLockFile>
#include <memory>

// A lock file in the per-user runtime directory; a lock left by a killed instance is
// recognised as stale (its process is gone) and taken over.
class LockFileInstanceLock final : public InstanceLock {
public:
    explicit LockFileInstanceLock(const QString& name);
    bool tryLock() override;

private:
    std::unique_ptr<QLockFile> m_lock;
};

// The program's own lock, taken before anything else: null while another instance holds it.
// It needs no application object, so that a second start ends before it has touched the
// display or the clipboard.
std::unique_ptr<InstanceLock> takeInstanceLock();
