// The connection of the X11 selection: opening it, hearing of new owners, waiting for events
// and clearing. The conversions are in x11transfer.cpp.
#include "platform/x11selection.h"

#include "platform/logging.h"
#include "platform/x11common.h"

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <poll.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

using namespace Qt::StringLiterals;

using namespace x11selection;

std::unique_ptr<X11Selection> X11Selection::open(const char* display, bool watch, bool bridged) {
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(display, &screenNumber);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return nullptr;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem; ++i) {
        xcb_screen_next(&it);
    }
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (!it.rem || !xfixes || !xfixes->present) {
        xcb_disconnect(c);
        return nullptr;
    }
    // The extension answers a client only after it has said which version it speaks.
    std::free(xcb_xfixes_query_version_reply(c, xcb_xfixes_query_version(c, 5, 0), nullptr));

    auto atoms = std::make_unique<Atoms>();
    atoms->clipboard = internAtom(c, "CLIPBOARD");
    atoms->targets = internAtom(c, "TARGETS");
    atoms->incr = internAtom(c, "INCR");
    atoms->utf8 = internAtom(c, "UTF8_STRING");
    atoms->text = internAtom(c, "TEXT");
    atoms->stamp = internAtom(c, "_SNAPWELL_TIMESTAMP");
    for (int i = 0; i < kProperties; ++i) {
        atoms->properties[i] = internAtom(c, ("_SNAPWELL_SELECTION" + std::to_string(i)).c_str());
    }

    const xcb_window_t window = xcb_generate_id(c);
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, it.data->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
    // The server's time now: whoever holds the selection took it before. Appending nothing to
    // a property still changes it, and the notification carries the time.
    xcb_change_property(c, XCB_PROP_MODE_APPEND, window, atoms->stamp, XCB_ATOM_STRING, 8, 0, nullptr);
    xcb_flush(c);
    std::uint32_t now = 0;
    while (now == 0) {
        const Reply<xcb_generic_event_t> event(xcb_wait_for_event(c));
        if (!event) {
            xcb_disconnect(c);
            return nullptr;
        }
        if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
            now = reinterpret_cast<xcb_property_notify_event_t*>(event.get())->time;
        }
    }
    if (watch) {
        xcb_xfixes_select_selection_input(c, window, atoms->clipboard,
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                              XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                              XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    }
    xcb_flush(c);
    std::unique_ptr<X11Selection> selection(
        new X11Selection(c, window, std::move(atoms), xfixes->first_event));
    selection->m_ownerTime = now;
    selection->m_lookTime = now;
    selection->m_bridged = bridged;
    return selection;
}

X11Selection::X11Selection(xcb_connection_t* connection, std::uint32_t window, std::unique_ptr<Atoms> atoms,
                           int xfixesEvent)
    : m_connection(connection), m_window(window), m_atoms(std::move(atoms)), m_xfixesEvent(xfixesEvent) {}

X11Selection::~X11Selection() {
    xcb_disconnect(m_connection);
}

int X11Selection::eventFd() const {
    return xcb_get_file_descriptor(m_connection);
}

bool X11Selection::noteOwnerChange(const void* generic) {
    const auto* event = static_cast<const xcb_generic_event_t*>(generic);
    if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
        drain(event);
        return false;
    }
    if ((event->response_type & 0x7f) == XCB_SELECTION_REQUEST) {
        answer(event);
        return false;
    }
    if ((event->response_type & 0x7f) != m_xfixesEvent + XCB_XFIXES_SELECTION_NOTIFY) {
        return false;
    }
    const auto* notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event);
    if (notify->selection != m_atoms->clipboard) {
        return false;
    }
    ++m_changes;
    m_ownerTime = notify->selection_timestamp;
    // A conversion under way gets a short grace: an owner that answers at once still hands over
    // what was copied just before, one that trickles is left.
    m_graceEnd = Clock::now() + kGrace;
    return true;
}

// A transfer in pieces that was abandoned is still taken to its end, unread: some owners
// (xclip among them) give up the selection only once their transfer is over.
void X11Selection::drain(const void* generic) {
    const auto* notify = static_cast<const xcb_property_notify_event_t*>(generic);
    if (m_drain == 0 || notify->window != m_window || notify->atom != m_drain ||
        notify->state != XCB_PROPERTY_NEW_VALUE) {
        return;
    }
    const Reply<xcb_get_property_reply_t> piece(xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, m_window, m_drain, XCB_GET_PROPERTY_TYPE_ANY, 0, 0),
        nullptr));
    xcb_delete_property(m_connection, m_window, m_drain);
    xcb_flush(m_connection);
    if (!piece || piece->bytes_after == 0) {
        m_drain = 0;
    }
}

void X11Selection::abandon(std::uint32_t property) {
    m_drain = property;
    xcb_delete_property(m_connection, m_window, property);
    xcb_flush(m_connection);
}

int X11Selection::dispatch() {
    while (const Reply<xcb_generic_event_t> event{xcb_poll_for_event(m_connection)}) {
        noteOwnerChange(event.get());
    }
    return std::exchange(m_changes, 0);
}

void* X11Selection::nextEvent(Clock::time_point deadline, Data::Status& why) {
    why = Data::Status::TimedOut;
    for (;;) {
        if (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
            return event;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0 || xcb_connection_has_error(m_connection)) {
            return nullptr;
        }
        pollfd fds[2] = {{eventFd(), POLLIN, 0}, {interruptFd(), POLLIN, 0}};
        ::poll(fds, 2, int(left));
        if (fds[1].revents & POLLIN) {
            why = Data::Status::Cancelled;
            return nullptr;
        }
    }
}

bool X11Selection::answer(const void* generic) {
    const auto* request = static_cast<const xcb_selection_request_event_t*>(generic);
    xcb_selection_notify_event_t notify{};
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request->time;
    notify.requestor = request->requestor;
    notify.selection = request->selection;
    notify.target = request->target;
    notify.property = XCB_NONE;
    const xcb_atom_t property = request->property ? request->property : request->target;
    if (request->owner == m_window && request->selection == m_atoms->clipboard) {
        // An empty text: some bridges pass on only a selection that offers a type.
        if (request->target == m_atoms->targets) {
            const xcb_atom_t targets[] = {m_atoms->targets, m_atoms->utf8};
            xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, request->requestor, property,
                                XCB_ATOM_ATOM, 32, 2, targets);
            notify.property = property;
        } else if (request->target == m_atoms->utf8) {
            xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, request->requestor, property,
                                m_atoms->utf8, 8, 0, nullptr);
            notify.property = property;
        }
    }
    xcb_send_event(m_connection, 0, request->requestor, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&notify));
    xcb_flush(m_connection);
    return request->requestor != m_window;
}

void X11Selection::clearNow() {
    if (m_bridged) {
        // A Wayland client's copy is out of reach of an X client; but a selection an X client
        // gives up is given up on the Wayland side too. So we take it with an empty text in
        // it, let the compositor's bridge ask what it holds and take it over, and give it up.
        xcb_set_selection_owner(m_connection, m_window, m_atoms->clipboard, XCB_CURRENT_TIME);
        xcb_flush(m_connection);
        Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(300);
        bool asked = false;
        for (;;) {
            Data::Status why = Data::Status::TimedOut;
            const Reply<xcb_generic_event_t> event(
                static_cast<xcb_generic_event_t*>(nextEvent(deadline, why)));
            if (!event) {
                break;
            }
            if ((event->response_type & 0x7f) == XCB_SELECTION_REQUEST) {
                // The bridge asked: a moment more for it to hand the selection on.
                if (answer(event.get()) && !std::exchange(asked, true)) {
                    deadline = std::min(deadline, Clock::now() + std::chrono::milliseconds(100));
                }
                continue;
            }
            noteOwnerChange(event.get());
        }
        if (!asked) {
            qCInfo(lcReader) << "the compositor did not ask for the emptied clipboard";
        }
    }
    // The server's time, not the time of a look: whoever holds the selection gives it up.
    xcb_set_selection_owner(m_connection, XCB_NONE, m_atoms->clipboard, XCB_CURRENT_TIME);
    xcb_flush(m_connection);
}

std::chrono::milliseconds X11Selection::wakeInterval() const {
    // A compositor's bridge may leave its new ownership of the selection unsent until its X
    // window manager has an event to handle: a copy every 300 ms needs a stir every 100 ms.
    return m_bridged ? std::chrono::milliseconds(100) : std::chrono::milliseconds(0);
}

void X11Selection::wake() {
    // Our window's property changes without a change: the window manager hears of it.
    xcb_change_property(m_connection, XCB_PROP_MODE_APPEND, m_window, m_atoms->stamp, XCB_ATOM_STRING, 8, 0,
                        nullptr);
    xcb_flush(m_connection);
}

void X11Selection::clear() {
    // As of the owner whose content was looked at: the server ignores the request when
    // another owner took the selection since.
    xcb_set_selection_owner(m_connection, XCB_NONE, m_atoms->clipboard, m_lookTime);
    xcb_flush(m_connection);
}
