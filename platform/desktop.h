#pragma once

#include <QString>

// Desktop services other than the clipboard.
class Desktop {
public:
    virtual ~Desktop() = default;
    // Hands a target (a web address) to the desktop's "open" action.
    virtual bool shellOpen(const QString& target) = 0;
    // The Print Screen key's effect: an image of the whole screen onto the clipboard.
    // False where the platform refuses a screen grab.
    virtual bool snapshotToClipboard() = 0;
};
