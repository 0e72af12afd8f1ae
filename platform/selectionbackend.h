#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

// One desktop's clipboard selection, spoken to over a connection of its own (X11: an xcb
// connection; Wayland: a wl_display with a data-control device). Used only on the reader's
// thread: a call may wait for another program, but never longer than the budget it is given,
// and never on the window's thread.
class SelectionBackend {
public:
    using Budget = std::chrono::milliseconds;

    virtual ~SelectionBackend() = default;

    // The connection's file descriptor; readable when events wait to be handled.
    virtual int eventFd() const = 0;
    // Handles the events that arrived. Returns how many times the selection changed since
    // the last call (a new owner or a new offer each count once; our own clearing too).
    virtual int dispatch() = 0;

    // The MIME types the current selection offers (an empty list when nothing is offered);
    // nullopt when the owner did not answer within the budget.
    virtual std::optional<QStringList> formats(Budget budget) = 0;

    struct Data {
        enum class Status {
            Ok,
            TimedOut, // the owner did not deliver within the budget
            Refused,  // the owner refused the type, or the selection went away
            TooLarge, // the announced or received size passed maxBytes; reading stopped there
        };
        Status status = Status::Refused;
        QByteArray bytes;
    };
    // The selection's content in one of the offered types.
    virtual Data read(const QString& mimeType, qsizetype maxBytes, Budget budget) = 0;

    // Empties the selection as of the content last looked at through formats(): an owner
    // that took the selection since keeps its content.
    virtual void clear() = 0;
};
