#pragma once

#include <QString>

#include <functional>

// Why a snapshot of the desktop did not reach the clipboard.
enum class SnapshotFault {
    NoAnswer,       // the desktop did not answer in time
    NoService,      // the desktop offers no snapshot to us
    Cancelled,      // the user cancelled it
    Refused,        // the desktop refused it
    Unreadable,     // the picture it gave cannot be read
    NotOnClipboard, // the picture could not be put on the clipboard
};

// Desktop services other than the clipboard.
class Desktop {
public:
    virtual ~Desktop() = default;
    // Hands a target (a web address) to the desktop's "open" action.
    virtual bool shellOpen(const QString& target) = 0;
    // The Print Screen key's effect: an image of the whole screen onto the clipboard.
    // False where the platform refuses a screen grab. Where the desktop answers later (the
    // screenshot portal of a Wayland desktop), true at once; snapshotBusy() holds until the
    // answer is in, and a refusal or cancel is then told to onSnapshotFailed.
    virtual bool snapshotToClipboard() = 0;
    virtual bool snapshotBusy() const { return false; }
    std::function<void(SnapshotFault)> onSnapshotFailed;
};
