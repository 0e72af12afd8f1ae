#pragma once

#include "platform/clipboard.h"
#include "platform/desktop.h"
#include "platform/instancelock.h"
#include "platform/messageboxes.h"
#include "platform/soundoutput.h"

#include <memory>

// The platform services, built once at start-up (real) or by a test (fakes).
struct Platform {
    std::unique_ptr<Clipboard> clipboard;
    std::unique_ptr<MessageBoxes> messages;
    std::unique_ptr<SoundOutput> sound;
    std::unique_ptr<Desktop> desktop;
    std::unique_ptr<InstanceLock> instanceLock;
    // False where the desktop shows the clipboard to a program only while it has the focus
    // (a Wayland desktop without data control): the user is told once, at START.
    bool watchesInBackground = true;
};

// The real services of this desktop.
Platform makeSystemPlatform();
