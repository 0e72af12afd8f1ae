#include "platform/waylandpublisher.h"

#include "platform/racecheck.h"
#include "platform/waylandconnection.h"

#include <QSocketNotifier>

#include <csignal>
#include <thread>
#include <unistd.h>

using namespace waylandcontrol;

namespace {

// A sending thread's copy of the bytes is gone once it released this.
char g_sent = 0;

template <typename P> class Publisher final : public WaylandPublisher {
public:
    static std::unique_ptr<WaylandPublisher> open(std::unique_ptr<Connection> c) {
        const Global* manager = c->find(P::manager);
        const Global* seat = c->find("wl_seat"_L1);
        if (!manager || !seat) {
            return nullptr;
        }
        std::unique_ptr<Publisher> p(new Publisher(std::move(c)));
        p->m_manager = p->m_c->template bind<typename P::Manager>(*manager, P::interface(), P::version);
        p->m_seat = p->m_c->template bind<wl_seat>(*seat, &wl_seat_interface, 1);
        p->m_device = P::device(p->m_manager, p->m_seat);
        P::listen(p->m_device, &kDeviceListener, p.get());
        wl_display_flush(p->m_c->display);
        p->m_notifier =
            std::make_unique<QSocketNotifier>(wl_display_get_fd(p->m_c->display), QSocketNotifier::Read);
        Publisher* self = p.get();
        QObject::connect(p->m_notifier.get(), &QSocketNotifier::activated,
                         [self] { pumpOnce(self->m_c->display, 0); });
        return p;
    }

    ~Publisher() override {
        m_notifier.reset();
        drop();
        P::destroy(m_device);
        P::destroy(m_manager);
        wl_seat_destroy(m_seat);
        wl_display_flush(m_c->display);
    }

    bool publish(const QString& mimeType, const QByteArray& bytes) override {
        drop();
        m_bytes = bytes;
        m_type = mimeType.toUtf8();
        m_source = P::source(m_manager);
        P::listen(m_source, &kSourceListener, this);
        P::offer(m_source, m_type.constData());
        P::set(m_device, m_source);
        return roundtrip(m_c->display, Clock::now() + std::chrono::seconds(2)) && m_source;
    }

private:
    explicit Publisher(std::unique_ptr<Connection> c) : m_c(std::move(c)) {}

    void drop() {
        if (m_source) {
            P::destroy(m_source);
            m_source = nullptr;
        }
        raceAcquire(&g_sent);
        m_bytes.clear();
    }

    // A program asks for the content: it is written by a thread of its own, so a reader that
    // takes its time never holds up the window.
    static void onSend(void* data, typename P::Source*, const char* type, int32_t fd) {
        auto* self = static_cast<Publisher*>(data);
        if (self->m_type != type) {
            close(fd);
            return;
        }
        std::thread([bytes = self->m_bytes, fd]() mutable {
            for (qsizetype done = 0; done < bytes.size();) {
                const ssize_t n = write(fd, bytes.constData() + done, size_t(bytes.size() - done));
                if (n < 0 && errno == EINTR) {
                    continue;
                }
                // Some readers hand over a non-blocking pipe: wait until it takes more.
                if (n < 0 && errno == EAGAIN) {
                    pollfd p{fd, POLLOUT, 0};
                    if (poll(&p, 1, 10000) > 0) {
                        continue;
                    }
                }
                if (n <= 0) {
                    break;
                }
                done += n;
            }
            close(fd);
            bytes = QByteArray(); // whoever lets the bytes go last frees them
            raceRelease(&g_sent);
        }).detach();
    }
    static void onCancelled(void* data, typename P::Source*) { static_cast<Publisher*>(data)->drop(); }
    // Offers of other programs are of no interest here.
    static void onDataOffer(void*, typename P::Device*, typename P::Offer* offer) { P::destroy(offer); }
    static void onSelection(void*, typename P::Device*, typename P::Offer*) {}
    static void onFinished(void*, typename P::Device*) {}

    static constexpr typename P::SourceListener kSourceListener{&onSend, &onCancelled};
    static constexpr
        typename P::DeviceListener kDeviceListener{&onDataOffer, &onSelection, &onFinished, &onSelection};

    std::unique_ptr<Connection> m_c;
    std::unique_ptr<QSocketNotifier> m_notifier;
    typename P::Manager* m_manager = nullptr;
    wl_seat* m_seat = nullptr;
    typename P::Device* m_device = nullptr;
    typename P::Source* m_source = nullptr;
    QByteArray m_type;
    QByteArray m_bytes;
};

} // namespace

std::unique_ptr<WaylandPublisher> WaylandPublisher::open() {
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        return nullptr;
    }
    // A program that stops reading half-way must not end this one.
    std::signal(SIGPIPE, SIG_IGN);
    auto c = std::make_unique<Connection>();
    if (!c->open(Clock::now() + std::chrono::seconds(2))) {
        return nullptr;
    }
    switch (chooseDataControl({c->globals.begin(), c->globals.end()})) {
    case DataControl::Ext:
        return Publisher<Ext>::open(std::move(c));
    case DataControl::Wlr:
        return Publisher<Wlr>::open(std::move(c));
    case DataControl::None:
        break;
    }
    return nullptr;
}
