#include "platform/sessionend.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_pipe[2] = {-1, -1};
// A signal may arrive on any thread, two of them at once: atomic, and lock-free, so safe in
// a signal handler.
std::atomic<int> g_requested{0};
static_assert(std::atomic<int>::is_always_lock_free);

// The last resort: a write that hangs on a dead network file system, or an event loop that
// does not return, must not keep the process alive.
void onAlarm(int) {
    ::_exit(1);
}

// Only async-signal-safe work here: the event loop picks the byte up.
void request() {
    if (g_requested.exchange(1) == 0) {
        ::alarm(kLastResortSeconds);
    }
}

// The interrupted code may be about to read errno. The write never waits: when the socket
// is full (EAGAIN), a byte is pending already and the loop will wake for it.
void onSignal(int) {
    const int saved = errno;
    request();
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

} // namespace

bool terminationRequested() {
    return g_requested != 0;
}

void onSessionEnd(QObject* context, std::function<void()> handler) {
    auto fire = [h = std::make_shared<std::function<void()>>(std::move(handler))] { (*h)(); };
    QObject::connect(qGuiApp, &QGuiApplication::commitDataRequest, context, [fire](QSessionManager&) {
        request();
        fire();
    });

    if (g_pipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [fire] {
        char bytes[16];
        [[maybe_unused]] const ssize_t n = ::read(g_pipe[0], bytes, sizeof bytes);
        fire();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGHUP, SIGINT}) {
        sigaction(sig, &action, nullptr);
    }
    struct sigaction alarmAction {};
    alarmAction.sa_handler = onAlarm;
    sigemptyset(&alarmAction.sa_mask);
    sigaction(SIGALRM, &alarmAction, nullptr);
}
