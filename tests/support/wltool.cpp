// A Wayland client for the tests, in two roles:
//   wltool pointer                 adds a pointer device to the seat, so that the compositor's
//                                  "seat - cursor" commands reach windows; stays until ended
//   wltool offer [--slow MS|--silent] TYPE=TEXT|TYPE=@FILE...
//                                  offers one content under several types at once (a text
//                                  with the password-manager hint beside it, say) without
//                                  focus, prints "ready" and serves it until replaced.
//                                  --slow writes half, waits MS, writes the rest; --silent
//                                  never writes and never closes.
#include "wlr-data-control-unstable-v1.h"
#include "wlr-virtual-pointer-unstable-v1.h"

#include <wayland-client.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

wl_seat* seat = nullptr;
zwlr_data_control_manager_v1* dataControl = nullptr;
zwlr_virtual_pointer_manager_v1* pointers = nullptr;
std::vector<std::pair<std::string, std::string>> offered;
int slowMs = 0;
bool silent = false;
bool cancelled = false;

void global(void*, wl_registry* r, uint32_t name, const char* interface, uint32_t) {
    if (std::strcmp(interface, wl_seat_interface.name) == 0) {
        seat = static_cast<wl_seat*>(wl_registry_bind(r, name, &wl_seat_interface, 1));
    } else if (std::strcmp(interface, zwlr_data_control_manager_v1_interface.name) == 0) {
        dataControl = static_cast<zwlr_data_control_manager_v1*>(
            wl_registry_bind(r, name, &zwlr_data_control_manager_v1_interface, 1));
    } else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
        pointers = static_cast<zwlr_virtual_pointer_manager_v1*>(
            wl_registry_bind(r, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    }
}
const wl_registry_listener registryListener{global, [](void*, wl_registry*, uint32_t) {}};

void send(void*, zwlr_data_control_source_v1*, const char* type, int32_t fd) {
    if (silent) {
        return; // the descriptor stays open, unwritten
    }
    for (const auto& [t, text] : offered) {
        // Written by a child, so that a slow write does not hold up the cancel event.
        if (t == type && fork() == 0) {
            FILE* out = fdopen(fd, "w");
            const size_t half = slowMs ? text.size() / 2 : text.size();
            std::fwrite(text.data(), 1, half, out);
            std::fflush(out);
            usleep(useconds_t(slowMs) * 1000);
            std::fwrite(text.data() + half, 1, text.size() - half, out);
            std::fclose(out);
            _exit(0);
        }
    }
    close(fd);
}
// Replaced: the offer ends.
const zwlr_data_control_source_v1_listener sourceListener{
    send, [](void*, zwlr_data_control_source_v1*) { cancelled = true; }};

} // namespace

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGCHLD, SIG_IGN);
    wl_display* display = wl_display_connect(nullptr);
    if (!display || argc < 2) {
        std::fprintf(stderr, "wltool: no compositor, or no role given\n");
        return 2;
    }
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, nullptr);
    wl_display_roundtrip(display);
    const std::string role = argv[1];
    if (role == "pointer" && seat && pointers) {
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(pointers, seat);
    } else if (role == "offer" && seat && dataControl) {
        for (int i = 2; i < argc; ++i) {
            const std::string arg = argv[i];
            if (arg == "--slow" && i + 1 < argc) {
                slowMs = std::stoi(argv[++i]);
            } else if (arg == "--silent") {
                silent = true;
            } else if (const size_t eq = arg.find('='); eq != std::string::npos) {
                std::string content = arg.substr(eq + 1);
                if (content.starts_with('@')) {
                    std::ifstream in(content.substr(1), std::ios::binary);
                    content.assign(std::istreambuf_iterator<char>(in), {});
                }
                offered.emplace_back(arg.substr(0, eq), content);
            }
        }
        auto* device = zwlr_data_control_manager_v1_get_data_device(dataControl, seat);
        auto* source = zwlr_data_control_manager_v1_create_data_source(dataControl);
        zwlr_data_control_source_v1_add_listener(source, &sourceListener, nullptr);
        for (const auto& [type, text] : offered) {
            zwlr_data_control_source_v1_offer(source, type.c_str());
        }
        zwlr_data_control_device_v1_set_selection(device, source);
    } else {
        std::fprintf(stderr, "wltool: role %s not possible here\n", role.c_str());
        return 2;
    }
    wl_display_roundtrip(display);
    std::puts("ready");
    std::fflush(stdout);
    // The pointer stays until ended, an offer until it is replaced.
    while (!cancelled && wl_display_dispatch(display) >= 0) {
    }
    return 0;
}
