#pragma once

// The parts the Wayland selection backend and the Wayland publisher share: a connection with
// its globals, waiting on it with a deadline, and the two data-control protocols under one
// set of names.
#include "platform/waylandselection.h"

#include "ext-data-control-v1.h"
#include "wlr-data-control-unstable-v1.h"

#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <poll.h>

namespace waylandcontrol {

using namespace Qt::StringLiterals;

using Clock = std::chrono::steady_clock;

inline int remainingMs(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return int(std::clamp<long long>(left, 0, 60000));
}

// Reads and handles what the compositor sent, waiting up to timeoutMs for it. A second
// descriptor (a pipe being read) may be watched at the same time; its poll result is
// returned through extraEvents. False when the connection is broken.
inline bool pumpOnce(wl_display* display, int timeoutMs, int extraFd = -1, short* extraEvents = nullptr,
                     int wakeFd = -1, bool* woken = nullptr) {
    while (wl_display_prepare_read(display) != 0) {
        if (wl_display_dispatch_pending(display) < 0) {
            return false;
        }
    }
    wl_display_flush(display);
    pollfd fds[3] = {{wl_display_get_fd(display), POLLIN, 0}, {extraFd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
    const int n = poll(fds, 3, timeoutMs);
    if (extraEvents) {
        *extraEvents = n > 0 ? fds[1].revents : 0;
    }
    if (woken) {
        *woken = n > 0 && (fds[2].revents & POLLIN);
    }
    if (n <= 0 || !(fds[0].revents & (POLLIN | POLLHUP | POLLERR))) {
        wl_display_cancel_read(display);
        return n >= 0 || errno == EINTR;
    }
    if (wl_display_read_events(display) < 0) {
        return false;
    }
    return wl_display_dispatch_pending(display) >= 0;
}

// Waits until the compositor has handled every request sent so far, and its answers are in.
inline bool roundtrip(wl_display* display, Clock::time_point deadline) {
    bool done = false;
    static const wl_callback_listener listener{
        [](void* data, wl_callback*, uint32_t) { *static_cast<bool*>(data) = true; }};
    wl_callback* callback = wl_display_sync(display);
    wl_callback_add_listener(callback, &listener, &done);
    while (!done) {
        const int ms = remainingMs(deadline);
        if (ms <= 0 || !pumpOnce(display, ms)) {
            break;
        }
    }
    wl_callback_destroy(callback);
    return done;
}

struct Global : WaylandGlobal {
    quint32 name = 0;
};

// A connection and the globals its registry announced.
struct Connection {
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    QList<Global> globals;

    Connection() = default;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection() {
        if (registry) {
            wl_registry_destroy(registry);
        }
        if (display) {
            wl_display_disconnect(display);
        }
    }

    bool open(Clock::time_point deadline) {
        display = wl_display_connect(nullptr);
        if (!display) {
            return false;
        }
        static const wl_registry_listener listener{
            [](void* data, wl_registry*, uint32_t name, const char* interface, uint32_t version) {
                Global g;
                g.interface = QString::fromLatin1(interface);
                g.version = version;
                g.name = name;
                static_cast<Connection*>(data)->globals.append(g);
            },
            [](void*, wl_registry*, uint32_t) {}};
        registry = wl_display_get_registry(display);
        wl_registry_add_listener(registry, &listener, this);
        return roundtrip(display, deadline);
    }

    const Global* find(QLatin1StringView interface) const {
        const auto it = std::find_if(globals.begin(), globals.end(),
                                     [&](const Global& g) { return g.interface == interface; });
        return it == globals.end() ? nullptr : &*it;
    }

    template <typename T> T* bind(const Global& g, const wl_interface* interface, quint32 version) {
        return static_cast<T*>(wl_registry_bind(registry, g.name, interface, std::min(g.version, version)));
    }
};

// Both protocols have the same requests and events under different names.
#define SNAPWELL_DATA_CONTROL(Name, p, managerName, managerVersion)                                          \
    struct Name {                                                                                            \
        using Manager = p##_manager_v1;                                                                      \
        using Device = p##_device_v1;                                                                        \
        using Offer = p##_offer_v1;                                                                          \
        using DeviceListener = p##_device_v1_listener;                                                       \
        using OfferListener = p##_offer_v1_listener;                                                         \
        static constexpr QLatin1StringView manager{managerName};                                             \
        static constexpr quint32 version = managerVersion;                                                   \
        static const wl_interface* interface() { return &p##_manager_v1_interface; }                         \
        static Device* device(Manager* m, wl_seat* s) { return p##_manager_v1_get_data_device(m, s); }       \
        static void destroy(Manager* m) { p##_manager_v1_destroy(m); }                                       \
        static void destroy(Device* d) { p##_device_v1_destroy(d); }                                         \
        static void destroy(Offer* o) { p##_offer_v1_destroy(o); }                                           \
        static void listen(Device* d, const DeviceListener* l, void* data) {                                 \
            p##_device_v1_add_listener(d, l, data);                                                          \
        }                                                                                                    \
        static void listen(Offer* o, const OfferListener* l, void* data) {                                   \
            p##_offer_v1_add_listener(o, l, data);                                                           \
        }                                                                                                    \
        static void unset(Device* d) { p##_device_v1_set_selection(d, nullptr); }                            \
        static void receive(Offer* o, const char* type, int fd) { p##_offer_v1_receive(o, type, fd); }       \
        using Source = p##_source_v1;                                                                        \
        using SourceListener = p##_source_v1_listener;                                                       \
        static Source* source(Manager* m) { return p##_manager_v1_create_data_source(m); }                   \
        static void destroy(Source* s) { p##_source_v1_destroy(s); }                                         \
        static void listen(Source* s, const SourceListener* l, void* data) {                                 \
            p##_source_v1_add_listener(s, l, data);                                                          \
        }                                                                                                    \
        static void offer(Source* s, const char* type) { p##_source_v1_offer(s, type); }                     \
        static void set(Device* d, Source* s) { p##_device_v1_set_selection(d, s); }                         \
    }

SNAPWELL_DATA_CONTROL(Ext, ext_data_control, "ext_data_control_manager_v1", 1);
SNAPWELL_DATA_CONTROL(Wlr, zwlr_data_control, "zwlr_data_control_manager_v1", 2);

} // namespace waylandcontrol
