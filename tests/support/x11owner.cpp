// A clipboard owner for tests, polite or not, and a window manager's messages to a window.
//   x11owner text FILE [secret]  offers FILE's bytes as text (several types; INCR above 64 kB),
//                                with "secret": also the password-manager hint type
//   x11owner hang                takes the clipboard and never answers
//   x11owner targets             answers TARGETS, never the data
//   x11owner gtk FILE            as a toolkit does: CR LF line ends in text/plain;charset=utf-8,
//                                the file's own in UTF8_STRING
//   x11owner badtype FILE        answers every text request with 16-bit data of a made-up type
//   x11owner trickle FILE        hands FILE over in INCR pieces of one byte, one per 200 ms
//   x11owner ping WINDOW         prints how many ms the window takes to answer _NET_WM_PING
//   x11owner close WINDOW        asks the window to close (WM_DELETE_WINDOW)
// An owner says "ready" once it holds the clipboard and ends when another takes it; it logs
// every request it gets on stderr ("request TARGET").
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

Display* dpy;
Atom atom(const char* name) {
    return XInternAtom(dpy, name, False);
}
void put(Window w, Atom property, Atom type, int format, const void* data, size_t n) {
    XChangeProperty(dpy, w, property, type, format, PropModeReplace, static_cast<const unsigned char*>(data),
                    int(n));
}

// A WM_PROTOCOLS message as a window manager sends it; a ping waits for its answer.
void message(Window window, bool ping) {
    XEvent e{};
    e.xclient = {ClientMessage, 0, False, nullptr, window, atom("WM_PROTOCOLS"), 32, {}};
    e.xclient.data.l[0] = long(atom(ping ? "_NET_WM_PING" : "WM_DELETE_WINDOW"));
    e.xclient.data.l[1] = ping ? 4711 : CurrentTime;
    if (ping) {
        e.xclient.data.l[2] = long(window);
        // The answer goes to the root window for clients that watch its structure.
        XSelectInput(dpy, DefaultRootWindow(dpy), StructureNotifyMask | SubstructureNotifyMask);
    }
    const auto start = std::chrono::steady_clock::now();
    XSendEvent(dpy, window, False, NoEventMask, &e);
    XFlush(dpy);
    alarm(10); // no answer ends the probe without a figure
    while (ping) {
        XNextEvent(dpy, &e);
        if (e.type == ClientMessage && e.xclient.data.l[1] == 4711) {
            const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now() - start);
            std::printf("%lld\n", static_cast<long long>(ms.count()));
            return;
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    dpy = XOpenDisplay(nullptr);
    if (!dpy || argc < 2) {
        std::fprintf(stderr, "x11owner: no display or no mode\n");
        return 2;
    }
    const std::string mode = argv[1];
    if ((mode == "ping" || mode == "close") && argc == 3) {
        message(Window(std::strtoul(argv[2], nullptr, 0)), mode == "ping");
        XCloseDisplay(dpy);
        return 0;
    }
    std::string data;
    if (mode != "hang" && mode != "targets" && argc >= 3) {
        std::ifstream in(argv[2], std::ios::binary);
        data.assign(std::istreambuf_iterator<char>(in), {});
    }
    const bool secret = argc >= 4 && std::strcmp(argv[3], "secret") == 0;
    const Atom clipboard = atom("CLIPBOARD"), targetsAtom = atom("TARGETS"), incr = atom("INCR");
    std::vector<Atom> targets = {targetsAtom, atom("UTF8_STRING"), atom("text/plain;charset=utf-8"),
                                 atom("text/plain"), XA_STRING};
    if (secret) {
        targets.push_back(atom("x-kde-passwordManagerHint"));
    }
    const Window w = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(dpy, clipboard, w, CurrentTime);
    if (XGetSelectionOwner(dpy, clipboard) != w) {
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    const bool trickle = mode == "trickle";
    const size_t chunk = trickle ? 1 : 65536;
    struct {
        Window requestor = 0;
        Atom property = 0, type = 0;
        size_t offset = 0;
    } transfer;
    for (;;) {
        XEvent e;
        XNextEvent(dpy, &e);
        if (e.type == SelectionClear) {
            return 0;
        }
        if (e.type == PropertyNotify && e.xproperty.state == PropertyDelete && transfer.requestor &&
            e.xproperty.window == transfer.requestor && e.xproperty.atom == transfer.property) {
            // The next piece; an empty one ends the transfer.
            if (trickle) {
                usleep(200000);
            }
            const size_t n = std::min(chunk, data.size() - transfer.offset);
            put(transfer.requestor, transfer.property, transfer.type, 8, data.data() + transfer.offset, n);
            transfer.offset += n;
            if (n == 0) {
                transfer.requestor = 0;
            }
            XFlush(dpy);
            continue;
        }
        if (e.type != SelectionRequest) {
            continue;
        }
        const XSelectionRequestEvent& r = e.xselectionrequest;
        if (char* name = XGetAtomName(dpy, r.target)) {
            std::fprintf(stderr, "request %s\n", name);
            std::fflush(stderr);
            XFree(name);
        }
        if (mode == "hang") {
            continue;
        }
        XEvent reply{};
        reply.xselection = {SelectionNotify, 0,        False,      nullptr, r.requestor,
                            r.selection,     r.target, r.property, r.time};
        if (r.target == targetsAtom) {
            put(r.requestor, r.property, XA_ATOM, 32, targets.data(), targets.size());
        } else if (mode == "targets") {
            continue;
        } else if (r.target == targets.back() && secret) {
            put(r.requestor, r.property, XA_STRING, 8, "secret", 6);
        } else if (std::find(targets.begin(), targets.end(), r.target) == targets.end()) {
            reply.xselection.property = None;
        } else if (mode == "badtype") {
            const std::vector<short> wide(data.begin(), data.end());
            put(r.requestor, r.property, atom("GARBAGE_TYPE"), 16, wide.data(), wide.size());
        } else if (mode == "gtk" && r.target == atom("text/plain;charset=utf-8")) {
            std::string crlf;
            for (const char c : data) {
                crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
            }
            put(r.requestor, r.property, r.target, 8, crlf.data(), crlf.size());
        } else if (data.size() > chunk) {
            const long size = long(data.size());
            put(r.requestor, r.property, incr, 32, &size, 1);
            XSelectInput(dpy, r.requestor, PropertyChangeMask);
            transfer = {r.requestor, r.property, r.target, 0};
        } else {
            put(r.requestor, r.property, r.target, 8, data.data(), data.size());
        }
        XSendEvent(dpy, r.requestor, False, NoEventMask, &reply);
        XFlush(dpy);
    }
}
