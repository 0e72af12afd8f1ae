#include "platform/displayprobe.h"

#include <wayland-client.h>
#include <xcb/xcb.h>

namespace {
bool waylandAnswers() {
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        return false;
    }
    wl_display_disconnect(display);
    return true;
}

bool xServerAnswers() {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool ok = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return ok;
}
} // namespace

DisplayProbe probeDisplay() {
    DisplayProbe probe;
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        probe.reachable = true;
        return probe;
    }
    struct Candidate {
        const char* variable;
        bool (*answers)();
    };
    for (const Candidate& c :
         {Candidate{"WAYLAND_DISPLAY", waylandAnswers}, Candidate{"DISPLAY", xServerAnswers}}) {
        if (qEnvironmentVariableIsEmpty(c.variable)) {
            continue;
        }
        probe.tried.append(QByteArray(c.variable) + '=' + qgetenv(c.variable));
        if (c.answers()) {
            probe.reachable = true;
            return probe;
        }
    }
    return probe;
}
