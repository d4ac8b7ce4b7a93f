// Starts a program and prints how long after its start a top-level window with a given title was
// mapped on the X display, as "<pid> <milliseconds>". The X server tells it of every map on the
// root window as it happens, so the measure costs the starting program nothing, unlike polling
// with a window search. The program is left running. Meant for a display without a window
// manager (a window manager maps its frame, not the program's window, on the root).
// Usage: jukora-map-watch TITLE TIMEOUT_MS PROGRAM [ARGUMENTS...]
// With JUKORA_MAP_WATCH_ALL set, every window mapped meanwhile is written to the standard error
// with the time of the monotonic clock, to set beside marks the program writes on the same clock.
#include <xcb/xcb.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {
using Clock = std::chrono::steady_clock;

std::string WindowName(xcb_connection_t* x, xcb_window_t window) {
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(x, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256);
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(x, cookie, nullptr), &std::free);
    if (!reply)
        return {};
    return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                       static_cast<size_t>(xcb_get_property_value_length(reply.get())));
}
} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s TITLE TIMEOUT_MS PROGRAM [ARGUMENTS...]\n", argv[0]);
        return 2;
    }
    const std::string title = argv[1];
    const long timeoutMs = std::atol(argv[2]);
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) {
        std::fprintf(stderr, "%s: cannot reach the display\n", argv[0]);
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    std::unique_ptr<xcb_generic_error_t, decltype(&std::free)> selectError(
        xcb_request_check(x,
                          xcb_change_window_attributes_checked(x, root, XCB_CW_EVENT_MASK, &mask)),
        &std::free);
    if (selectError) {
        std::fprintf(stderr, "%s: cannot watch the root window\n", argv[0]);
        return 2;
    }

    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child < 0)
        return 2;
    if (child == 0) {
        // The program's output is not the measure's: it goes nowhere, so that a caller reading
        // this program's output is not kept waiting for the program to end.
        close(xcb_get_file_descriptor(x));
        const int nowhere = open("/dev/null", O_WRONLY);
        dup2(nowhere, STDOUT_FILENO);
        dup2(nowhere, STDERR_FILENO);
        execvp(argv[3], argv + 3);
        std::perror(argv[3]);
        _exit(127);
    }
    const Clock::time_point deadline = start + std::chrono::milliseconds(timeoutMs);
    pollfd watched{xcb_get_file_descriptor(x), POLLIN, 0};
    while (Clock::now() < deadline) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(x)) {
            const bool map = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
            const xcb_window_t window = reinterpret_cast<xcb_map_notify_event_t*>(event)->window;
            std::free(event);
            if (map && std::getenv("JUKORA_MAP_WATCH_ALL"))
                std::fprintf(stderr, "mapped \"%s\" at %.1f ms of the monotonic clock\n",
                             WindowName(x, window).c_str(),
                             std::chrono::duration_cast<std::chrono::microseconds>(
                                 Clock::now().time_since_epoch())
                                     .count() /
                                 1000.0);
            if (map && WindowName(x, window) == title) {
                const auto ms =
                    std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
                std::printf("%d %.1f\n", static_cast<int>(child), ms.count() / 1000.0);
                return 0;
            }
        }
        if (xcb_connection_has_error(x))
            break;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        poll(&watched, 1, static_cast<int>(std::max<long>(1, left.count())));
    }
    std::fprintf(stderr, "%s: no window \"%s\" was mapped within %ld ms\n", argv[0], title.c_str(),
                 timeoutMs);
    kill(child, SIGTERM);
    return 1;
}
