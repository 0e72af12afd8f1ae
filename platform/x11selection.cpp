#include "platform/x11selection.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace {

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c, cookie, nullptr);
    const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return a;
}

} // namespace

std::unique_ptr<X11Selection> X11Selection::open() {
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (!c || xcb_connection_has_error(c)) {
        if (c) {
            xcb_disconnect(c);
        }
        return nullptr;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem; ++i) {
        xcb_screen_next(&it);
    }
    const xcb_atom_t clipboard = atom(c, "CLIPBOARD");
    const xcb_atom_t stamp = atom(c, "_SNAPWELL_TIMESTAMP");
    if (!it.rem || clipboard == xcb_atom_t(XCB_ATOM_NONE) || stamp == xcb_atom_t(XCB_ATOM_NONE)) {
        xcb_disconnect(c);
        return nullptr;
    }
    // An invisible window whose property changes tell the server's time.
    const xcb_window_t window = xcb_generate_id(c);
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, it.data->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);
    return std::unique_ptr<X11Selection>(new X11Selection(c, window, clipboard, stamp));
}

X11Selection::X11Selection(xcb_connection_t* connection, std::uint32_t window, std::uint32_t clipboard,
                           std::uint32_t stamp)
    : m_connection(connection), m_window(window), m_clipboard(clipboard), m_stamp(stamp) {}

X11Selection::~X11Selection() {
    xcb_disconnect(m_connection);
}

std::uint32_t X11Selection::serverTime() {
    // Appending nothing to a property still changes it; the notification carries the time.
    xcb_change_property(m_connection, XCB_PROP_MODE_APPEND, m_window, m_stamp, XCB_ATOM_STRING, 8, 0,
                        nullptr);
    xcb_flush(m_connection);
    while (xcb_generic_event_t* event = xcb_wait_for_event(m_connection)) {
        std::uint32_t time = 0;
        if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
            const auto* notify = reinterpret_cast<xcb_property_notify_event_t*>(event);
            if (notify->window == m_window && notify->atom == m_stamp) {
                time = notify->time;
            }
        }
        std::free(event);
        if (time != 0) {
            return time;
        }
    }
    return 0;
}

bool X11Selection::owned() {
    xcb_get_selection_owner_reply_t* reply = xcb_get_selection_owner_reply(
        m_connection, xcb_get_selection_owner(m_connection, m_clipboard), nullptr);
    const bool has = reply && reply->owner != XCB_NONE;
    std::free(reply);
    return has;
}

void X11Selection::release(std::uint32_t time) {
    xcb_set_selection_owner(m_connection, XCB_NONE, m_clipboard, time);
    xcb_flush(m_connection);
}
