#include "platform/windowcaption.h"

#include "platform/toolkitx11.h"

#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

void setEmptyCaption(QWindow* window) {
    xcb_connection_t* c = toolkitX11Connection();
    if (!window || !c) {
        return;
    }
    const auto atom = [c](const char* name) {
        xcb_intern_atom_reply_t* reply =
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return a;
    };
    const xcb_window_t id = xcb_window_t(window->winId());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 8, 0,
                        nullptr);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, nullptr);
    xcb_flush(c);
}

namespace {
// The events the toolkit asked for on a window, asked of the server once per window: the
// toolkit sets them when it makes the window and does not change them for a plain one.
std::uint32_t askedEvents(xcb_connection_t* c, xcb_window_t id) {
    static xcb_connection_t* knownConnection = nullptr;
    static xcb_window_t knownWindow = 0;
    static std::uint32_t knownMask = 0;
    if (c != knownConnection || id != knownWindow) {
        xcb_get_window_attributes_reply_t* reply =
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, id), nullptr);
        if (!reply) {
            return 0;
        }
        knownMask = reply->your_event_mask;
        std::free(reply);
        knownConnection = c;
        knownWindow = id;
    }
    return knownMask;
}
} // namespace

QuietCaptionChange::QuietCaptionChange(QWindow* window) {
    xcb_connection_t* c = toolkitX11Connection();
    if (!window || !c) {
        return;
    }
    const auto id = xcb_window_t(window->winId());
    m_mask = askedEvents(c, id);
    if (!(m_mask & XCB_EVENT_MASK_PROPERTY_CHANGE)) {
        return;
    }
    m_connection = c;
    m_window = id;
    // Held for the few requests of the change, so that no other program's change to this
    // window (a window manager's state, say) falls into the quiet moment unheard.
    xcb_grab_server(c);
    const std::uint32_t quiet = m_mask & ~std::uint32_t(XCB_EVENT_MASK_PROPERTY_CHANGE);
    xcb_change_window_attributes(c, id, XCB_CW_EVENT_MASK, &quiet);
}

QuietCaptionChange::~QuietCaptionChange() {
    auto* c = static_cast<xcb_connection_t*>(m_connection);
    if (!c || c != toolkitX11Connection()) {
        return;
    }
    xcb_change_window_attributes(c, m_window, XCB_CW_EVENT_MASK, &m_mask);
    xcb_ungrab_server(c);
    xcb_flush(c);
}
