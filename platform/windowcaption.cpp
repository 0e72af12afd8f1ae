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
