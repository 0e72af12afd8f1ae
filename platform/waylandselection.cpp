#include "platform/waylandselection.h"

#include "ext-data-control-v1.h"
#include "wlr-data-control-unstable-v1.h"

#include <wayland-client.h>

#include <QByteArray>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

using Clock = std::chrono::steady_clock;

int remainingMs(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return int(std::clamp<long long>(left, 0, 60000));
}

// Reads and handles what the compositor sent, waiting up to timeoutMs for it. A second
// descriptor (a pipe being read) may be watched at the same time; its poll result is
// returned through extraEvents. False when the connection is broken.
bool pumpOnce(wl_display* display, int timeoutMs, int extraFd = -1, short* extraEvents = nullptr) {
    while (wl_display_prepare_read(display) != 0) {
        if (wl_display_dispatch_pending(display) < 0) {
            return false;
        }
    }
    wl_display_flush(display);
    pollfd fds[2] = {{wl_display_get_fd(display), POLLIN, 0}, {extraFd, POLLIN, 0}};
    const int n = poll(fds, extraFd >= 0 ? 2 : 1, timeoutMs);
    if (extraEvents) {
        *extraEvents = n > 0 ? fds[1].revents : 0;
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
bool roundtrip(wl_display* display, Clock::time_point deadline) {
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
    }

SNAPWELL_DATA_CONTROL(Ext, ext_data_control, "ext_data_control_manager_v1", 1);
SNAPWELL_DATA_CONTROL(Wlr, zwlr_data_control, "zwlr_data_control_manager_v1", 2);

template <typename P> class DataControlSelection final : public SelectionBackend {
public:
    // Takes the connection over; null when the seat or the manager is missing.
    static std::unique_ptr<SelectionBackend> open(std::unique_ptr<Connection> c, Clock::time_point deadline) {
        const Global* manager = c->find(P::manager);
        const Global* seat = c->find("wl_seat"_L1);
        if (!manager || !seat) {
            return nullptr;
        }
        std::unique_ptr<DataControlSelection> s(new DataControlSelection(std::move(c)));
        s->m_manager = s->m_c->template bind<typename P::Manager>(*manager, P::interface(), P::version);
        s->m_seat = s->m_c->template bind<wl_seat>(*seat, &wl_seat_interface, 1);
        s->m_device = P::device(s->m_manager, s->m_seat);
        P::listen(s->m_device, &kDeviceListener, s.get());
        // The device announces the selection as it stands; that is no change.
        if (!roundtrip(s->m_c->display, deadline)) {
            return nullptr;
        }
        s->m_changes = 0;
        return s;
    }

    ~DataControlSelection() override {
        for (auto& [offer, types] : m_offers) {
            P::destroy(offer);
        }
        if (m_device) {
            P::destroy(m_device);
        }
        P::destroy(m_manager);
        wl_seat_destroy(m_seat);
        wl_display_flush(m_c->display);
    }

    int eventFd() const override { return wl_display_get_fd(m_c->display); }

    int dispatch() override {
        pumpOnce(m_c->display, 0);
        return std::exchange(m_changes, 0);
    }

    std::optional<QStringList> formats(Budget) override {
        m_lookedAt = m_serial;
        const auto it = m_offers.find(m_current);
        return it == m_offers.end() ? QStringList() : it->second;
    }

    Data read(const QString& mimeType, qsizetype maxBytes, Budget budget) override {
        Data data;
        const auto it = m_offers.find(m_current);
        if (it == m_offers.end() || !it->second.contains(mimeType)) {
            return data;
        }
        int fds[2];
        if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
            return data;
        }
        P::receive(m_current, mimeType.toUtf8().constData(), fds[1]);
        wl_display_flush(m_c->display);
        close(fds[1]);
        // The source writes into the pipe and closes it when done. Meanwhile the selection
        // may change: those events are handled (and counted) as they come, and what this
        // source sends is still read to its end.
        const Clock::time_point deadline = Clock::now() + budget;
        data.status = Data::Status::TimedOut;
        char chunk[65536];
        for (;;) {
            const int ms = remainingMs(deadline);
            short revents = 0;
            if (ms <= 0 || !pumpOnce(m_c->display, ms, fds[0], &revents)) {
                break;
            }
            if (!(revents & (POLLIN | POLLHUP | POLLERR))) {
                continue;
            }
            const ssize_t n = ::read(fds[0], chunk, sizeof chunk);
            if (n == 0) {
                data.status = Data::Status::Ok;
                break;
            }
            if (n < 0) {
                if (errno == EAGAIN || errno == EINTR) {
                    continue;
                }
                data.status = Data::Status::Refused;
                break;
            }
            if (data.bytes.size() + n > maxBytes) {
                data.status = Data::Status::TooLarge;
                data.bytes.clear();
                break;
            }
            data.bytes.append(chunk, n);
        }
        close(fds[0]);
        if (data.status != Data::Status::Ok) {
            data.bytes.clear();
        }
        return data;
    }

    void clear() override {
        // Wayland has no time stamps: catch up with the compositor, and clear only when the
        // content is still the one last looked at.
        roundtrip(m_c->display, Clock::now() + std::chrono::milliseconds(500));
        if (!m_device || m_serial != m_lookedAt || !m_current) {
            return;
        }
        P::unset(m_device);
        wl_display_flush(m_c->display);
    }

private:
    explicit DataControlSelection(std::unique_ptr<Connection> c) : m_c(std::move(c)) {}

    void forget(typename P::Offer* offer) {
        if (offer && m_offers.erase(offer)) {
            P::destroy(offer);
        }
    }

    static void onDataOffer(void* data, typename P::Device*, typename P::Offer* offer) {
        auto* self = static_cast<DataControlSelection*>(data);
        self->m_offers[offer];
        P::listen(offer, &kOfferListener, self);
    }
    static void onOffer(void* data, typename P::Offer* offer, const char* type) {
        static_cast<DataControlSelection*>(data)->m_offers[offer].append(QString::fromUtf8(type));
    }
    static void onSelection(void* data, typename P::Device*, typename P::Offer* offer) {
        auto* self = static_cast<DataControlSelection*>(data);
        if (self->m_current != offer) {
            self->forget(self->m_current);
        }
        self->m_current = offer;
        ++self->m_serial;
        ++self->m_changes;
    }
    static void onFinished(void* data, typename P::Device*) {
        auto* self = static_cast<DataControlSelection*>(data);
        self->forget(self->m_current);
        self->m_current = nullptr;
        P::destroy(self->m_device);
        self->m_device = nullptr;
    }
    // The primary selection (middle-click pasting) is of no interest.
    static void onPrimarySelection(void* data, typename P::Device*, typename P::Offer* offer) {
        auto* self = static_cast<DataControlSelection*>(data);
        if (offer != self->m_current) {
            self->forget(offer);
        }
    }

    static constexpr typename P::DeviceListener kDeviceListener{&onDataOffer, &onSelection, &onFinished,
                                                                &onPrimarySelection};
    static constexpr typename P::OfferListener kOfferListener{&onOffer};

    std::unique_ptr<Connection> m_c;
    typename P::Manager* m_manager = nullptr;
    wl_seat* m_seat = nullptr;
    typename P::Device* m_device = nullptr;
    // Every offer announced and not yet dropped, with the types it offers.
    std::map<typename P::Offer*, QStringList> m_offers;
    typename P::Offer* m_current = nullptr;
    quint64 m_serial = 0;
    quint64 m_lookedAt = ~quint64(0);
    int m_changes = 0;
};

} // namespace

DataControl chooseDataControl(const QList<WaylandGlobal>& globals) {
    DataControl choice = DataControl::None;
    for (const WaylandGlobal& g : globals) {
        if (g.interface == Ext::manager && g.version >= 1) {
            return DataControl::Ext;
        }
        if (g.interface == Wlr::manager && g.version >= 2) {
            choice = DataControl::Wlr;
        }
    }
    return choice;
}

namespace {
DataControl connect(Connection& c, SelectionBackend::Budget budget) {
    if (!c.open(Clock::now() + budget)) {
        return DataControl::None;
    }
    return chooseDataControl({c.globals.begin(), c.globals.end()});
}
} // namespace

DataControl probeDataControl(SelectionBackend::Budget budget) {
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        return DataControl::None;
    }
    Connection c;
    return connect(c, budget);
}

QByteArray qtPlatformFor(const QByteArray& userChoice, bool waylandSession, bool xServer,
                         DataControl offered) {
    if (!userChoice.isEmpty() || !waylandSession) {
        return {};
    }
    if (offered != DataControl::None) {
        return "wayland";
    }
    // Without data control a Wayland program sees the clipboard only while it has the focus;
    // under XWayland it is an X program like any other.
    return xServer ? "xcb" : QByteArray();
}

void chooseQtPlatform() {
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    const QByteArray choice =
        qtPlatformFor(qgetenv("QT_QPA_PLATFORM"), wayland, !qEnvironmentVariableIsEmpty("DISPLAY"),
                      wayland ? probeDataControl(std::chrono::seconds(2)) : DataControl::None);
    if (!choice.isEmpty()) {
        qputenv("QT_QPA_PLATFORM", choice);
    }
}

std::unique_ptr<SelectionBackend> openWaylandSelection(SelectionBackend::Budget budget) {
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        return nullptr;
    }
    const Clock::time_point deadline = Clock::now() + budget;
    auto c = std::make_unique<Connection>();
    switch (connect(*c, budget)) {
    case DataControl::Ext:
        return DataControlSelection<Ext>::open(std::move(c), deadline);
    case DataControl::Wlr:
        return DataControlSelection<Wlr>::open(std::move(c), deadline);
    case DataControl::None:
        break;
    }
    return nullptr;
}
