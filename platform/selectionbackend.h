#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdint>
#include <optional>

#include <sys/eventfd.h>
#include <unistd.h>

// One desktop's clipboard selection, spoken to over a connection of its own (X11: an xcb
// connection; Wayland: a wl_display with a data-control device). Used only on the reader's
// thread: a call may wait for another program, but never longer than the budget it is given,
// and never on the window's thread.
class SelectionBackend {
public:
    using Budget = std::chrono::milliseconds;

    virtual ~SelectionBackend() { ::close(m_interrupt); }
    SelectionBackend(const SelectionBackend&) = delete;
    SelectionBackend& operator=(const SelectionBackend&) = delete;

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
            TimedOut,  // the owner did not deliver within the budget
            Refused,   // the owner refused the type, or the selection went away
            TooLarge,  // the announced or received size passed maxBytes; reading stopped there
            Invalid,   // the owner answered with data of another type or format than asked for
            Cancelled, // the selection changed hands, or interrupt() was called: abandoned
        };
        Status status = Status::Refused;
        QByteArray bytes;
    };
    // The selection's content in one of the offered types.
    virtual Data read(const QString& mimeType, qsizetype maxBytes, Budget budget) = 0;

    // Empties the selection as of the content last looked at through formats(): an owner
    // that took the selection since keeps its content.
    virtual void clear() = 0;
    // Empties the selection, whoever holds it now.
    virtual void clearNow() = 0;

    // Where the desktop tells of a change only once something stirs it: how often to stir
    // it (wake()); zero where it tells of every change by itself.
    virtual std::chrono::milliseconds wakeInterval() const { return std::chrono::milliseconds(0); }
    virtual void wake() {}

    // From any thread: the wait under way, and every later one until interrupted() is
    // called, ends at once as Cancelled.
    void interrupt() {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto n = ::write(m_interrupt, &one, sizeof one);
    }
    // On the reader's thread: takes the interruption back; true when there was one.
    bool interrupted() {
        std::uint64_t n = 0;
        return ::read(m_interrupt, &n, sizeof n) == sizeof n && n > 0;
    }

    // Whether a call since the last resetAbandoned() ended as Cancelled: the look it was part
    // of is of a content that is gone.
    bool abandoned() const { return m_abandoned; }
    void resetAbandoned() { m_abandoned = false; }

protected:
    SelectionBackend() : m_interrupt(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
    // Readable while an interruption is pending: every wait watches it.
    int interruptFd() const { return m_interrupt; }

    bool m_abandoned = false;

private:
    int m_interrupt;
};
