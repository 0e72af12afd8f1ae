#pragma once

// What the X11 selection's connection and its transfers share: replies freed by xcb's rules,
// atoms interned once, and the properties conversions take turns in.
#include "platform/x11selection.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace x11selection {

constexpr int kProperties = 4;
// How long a conversion may go on after the clipboard changed hands.
constexpr std::chrono::milliseconds kGrace{1000};

struct Freer {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, Freer>;

inline xcb_atom_t internAtom(xcb_connection_t* c, const char* name) {
    const Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

} // namespace x11selection

struct X11Selection::Atoms {
    xcb_atom_t clipboard, targets, incr, utf8, text, stamp;
    // Conversions take turns among these, so a late answer to a request that ran out of time
    // never lands in the property the next request waits for.
    xcb_atom_t properties[x11selection::kProperties];
};
