#include "platform/waylandselection.h"

#include "platform/logging.h"
#include "platform/waylandconnection.h"

#include <QByteArray>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

using namespace waylandcontrol;

const char* statusName(SelectionBackend::Data::Status status) {
    switch (status) {
    case SelectionBackend::Data::Status::Ok:
        return "ok";
    case SelectionBackend::Data::Status::TimedOut:
        return "no answer within the budget";
    case SelectionBackend::Data::Status::Refused:
        return "refused";
    case SelectionBackend::Data::Status::TooLarge:
        return "above the cap";
    case SelectionBackend::Data::Status::Invalid:
        return "not of the type asked for";
    case SelectionBackend::Data::Status::Cancelled:
        return "abandoned, the clipboard changed";
    }
    return "";
}

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
        // A content that replaced the one looked at is not mixed into its look.
        if (m_serial != m_lookedAt) {
            qCInfo(lcReader) << mimeType << "not read: the clipboard changed since its types were asked";
            m_abandoned = true;
            return {Data::Status::Cancelled, {}};
        }
        if (it == m_offers.end() || !it->second.contains(mimeType)) {
            qCInfo(lcReader) << mimeType << "is not offered by the content looked at";
            return data;
        }
        int fds[2];
        // Only our end is non-blocking: the source gets a plain pipe to write into.
        if (pipe2(fds, O_CLOEXEC) != 0) {
            return data;
        }
        fcntl(fds[0], F_SETFL, O_NONBLOCK);
        P::receive(m_current, mimeType.toUtf8().constData(), fds[1]);
        wl_display_flush(m_c->display);
        close(fds[1]);
        // The source writes into the pipe and closes it when done. A change of the selection
        // meanwhile abandons the read: what it would give is gone from the clipboard.
        Clock::time_point deadline = Clock::now() + budget;
        bool replaced = false;
        data.status = Data::Status::TimedOut;
        char chunk[65536];
        for (;;) {
            const int ms = remainingMs(deadline);
            short revents = 0;
            bool woken = false;
            if (ms <= 0 || !pumpOnce(m_c->display, ms, fds[0], &revents, interruptFd(), &woken)) {
                if (replaced) {
                    data.status = Data::Status::Cancelled;
                    m_abandoned = true;
                }
                break;
            }
            if (woken) {
                data.status = Data::Status::Cancelled;
                m_abandoned = true;
                break;
            }
            // Replaced meanwhile: a source that writes at once still hands over what was
            // copied just before; one that trickles is left after a short grace.
            if (m_serial != m_lookedAt && !replaced) {
                replaced = true;
                deadline = std::min(deadline, Clock::now() + std::chrono::milliseconds(1000));
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
        if (data.status != Data::Status::Ok) {
            qCInfo(lcReader) << "reading" << mimeType << "after" << data.bytes.size()
                             << "bytes:" << statusName(data.status);
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

    void clearNow() override {
        // Whatever the compositor holds once it has caught up with us.
        roundtrip(m_c->display, Clock::now() + std::chrono::milliseconds(500));
        if (m_device && m_current) {
            P::unset(m_device);
            wl_display_flush(m_c->display);
        }
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
        // Where the toolkit's Wayland plugin is missing, XWayland is the next best.
        return xServer ? "wayland;xcb" : "wayland";
    }
    // Without data control a Wayland program sees the clipboard only while it has the focus;
    // under XWayland it is an X program like any other. A DISPLAY that leads nowhere must not
    // end the program while the Wayland desktop is there.
    return xServer ? "xcb;wayland" : QByteArray();
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

std::unique_ptr<SelectionBackend> openWaylandSelection(SelectionBackend::Budget budget,
                                                       DataControl* protocol) {
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        return nullptr;
    }
    const Clock::time_point deadline = Clock::now() + budget;
    auto c = std::make_unique<Connection>();
    const DataControl offered = connect(*c, budget);
    if (protocol) {
        *protocol = offered;
    }
    switch (offered) {
    case DataControl::Ext:
        return DataControlSelection<Ext>::open(std::move(c), deadline);
    case DataControl::Wlr:
        return DataControlSelection<Wlr>::open(std::move(c), deadline);
    case DataControl::None:
        break;
    }
    return nullptr;
}
