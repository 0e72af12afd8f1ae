#pragma once

#include "platform/selectionbackend.h"

#include <QHash>

#include <cstdint>
#include <memory>

struct xcb_connection_t;

// The CLIPBOARD selection through a connection of our own to the X server: XFixes tells of
// every new owner, conversions go into a property of our own window, large data arrives in
// INCR pieces, and every wait ends at a deadline.
class X11Selection final : public SelectionBackend {
public:
    // Null where the server cannot be reached or lacks XFixes. display: null for $DISPLAY.
    // watch: hear of new owners (else the connection only clears). bridged: the server is
    // XWayland, whose compositor hands the selection on to and from Wayland.
    static std::unique_ptr<X11Selection> open(const char* display = nullptr, bool watch = true,
                                              bool bridged = false);
    ~X11Selection() override;

    int eventFd() const override;
    int dispatch() override;
    std::optional<QStringList> formats(Budget budget) override;
    Data read(const QString& mimeType, qsizetype maxBytes, Budget budget) override;
    void clear() override;
    void clearNow() override;
    std::chrono::milliseconds wakeInterval() const override;
    void wake() override;

    // Maps a target's name to the MIME type it stands for; empty for targets of no interest.
    static QString mimeFor(const QByteArray& target);
    // The MIME types that offered targets stand for, in the order first offered, each with
    // the index of the target to read it through.
    static QList<std::pair<QString, qsizetype>> offered(const QList<QByteArray>& targets);

private:
    struct Atoms;
    X11Selection(xcb_connection_t* connection, std::uint32_t window, std::unique_ptr<Atoms> atoms,
                 int xfixesEvent);

    using Clock = std::chrono::steady_clock;
    // Waits for the next event until the deadline; null when it passed (status TimedOut),
    // the connection broke (TimedOut) or an interruption came (Cancelled).
    // (an xcb_generic_event_t, which xcb declares without a name of its own)
    void* nextEvent(Clock::time_point deadline, Data::Status& why);
    // Notes an event of interest to every wait; true when the clipboard changed hands.
    bool noteOwnerChange(const void* event);
    void drain(const void* event);
    // Answers a request for the selection while we own it (to empty it): no targets at all.
    // True when another client asked.
    bool answer(const void* event);
    // Leaves a transfer in pieces: it goes on unread to its end.
    void abandon(std::uint32_t property);
    // Asks the owner for the selection in the given target and waits for its answer, all of
    // it within the budget (a transfer in pieces that keeps moving gets time by its size).
    Data convert(std::uint32_t target, qsizetype maxBytes, Budget budget);
    Data readIncr(std::uint32_t target, std::uint32_t property, qsizetype maxBytes, Budget budget);
    // Whether a reply of this type and format answers a request for the target.
    bool fits(std::uint32_t target, std::uint32_t type, int format);
    const QByteArray& nameOf(std::uint32_t atom);
    std::uint32_t intern(const QByteArray& name);

    xcb_connection_t* m_connection;
    std::uint32_t m_window;
    std::unique_ptr<Atoms> m_atoms;
    int m_xfixesEvent;
    bool m_bridged = false;
    int m_changes = 0;
    // The server time at which the current owner took the selection, and the time of the
    // owner whose content formats() looked at last: what clear() gives up.
    std::uint32_t m_ownerTime = 0;
    std::uint32_t m_lookTime = 0;
    unsigned m_request = 0;
    // The type of the last reply that fitted.
    std::uint32_t m_replyType = 0;
    // The property of an abandoned transfer in pieces, taken on to its end; 0: none.
    std::uint32_t m_drain = 0;
    // Until when a conversion may go on after the clipboard changed hands.
    Clock::time_point m_graceEnd;
    // The target behind each MIME type of the last formats() answer.
    QHash<QString, std::uint32_t> m_targets;
    QHash<std::uint32_t, QByteArray> m_names;
};
