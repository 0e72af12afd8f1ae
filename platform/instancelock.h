#pragma once

// Tells whether another instance of the program is running.
class InstanceLock {
public:
    virtual ~InstanceLock() = default;
    // True when this process is now the only instance.
    virtual bool tryLock() = 0;
};
