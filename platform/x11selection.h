#pragma once

#include <cstdint>
#include <memory>

struct xcb_connection_t;

// The CLIPBOARD selection through a connection of our own to the X server.
//
// Qt gives the clipboard up with the time of the last event it has seen. When another
// program took the clipboard after that, but before Qt saw the event that says so, the
// server ignores the request: the other program keeps its data, and the program would store
// the same picture again once the event arrives. Giving the selection up as of the moment
// the content was looked at clears what was read and never what came later.
class X11Selection {
public:
    // Null where the session is not X11 or the server cannot be reached.
    static std::unique_ptr<X11Selection> open();
    ~X11Selection();
    X11Selection(const X11Selection&) = delete;
    X11Selection& operator=(const X11Selection&) = delete;

    // The server's time now; 0 when it cannot be had.
    std::uint32_t serverTime();
    // Whether some window holds the selection.
    bool owned();
    // Gives the selection up as of the given server time: an owner that took it later keeps it.
    void release(std::uint32_t time);

private:
    X11Selection(xcb_connection_t* connection, std::uint32_t window, std::uint32_t clipboard,
                 std::uint32_t stamp);

    xcb_connection_t* m_connection;
    std::uint32_t m_window;
    std::uint32_t m_clipboard;
    std::uint32_t m_stamp;
};
