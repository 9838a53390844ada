// MapNotify watching on the root window through xcb.
#include "WindowWatch.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <poll.h>
#include <stdexcept>

namespace corvane::bench {

WindowWatch::WindowWatch(const std::string& display) : m_connection(xcb_connect(display.c_str(), nullptr))
{
    if (xcb_connection_has_error(m_connection)) {
        xcb_disconnect(m_connection);
        throw std::runtime_error("cannot connect to X display " + display);
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_request_check(m_connection,
                      xcb_change_window_attributes_checked(m_connection, screen->root, XCB_CW_EVENT_MASK, &mask));
}

WindowWatch::~WindowWatch()
{
    xcb_disconnect(m_connection);
}

void WindowWatch::clear()
{
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
        std::free(event);
    }
}

std::optional<WindowWatch::Clock::time_point> WindowWatch::awaitMap(std::chrono::milliseconds timeout)
{
    const Clock::time_point end = Clock::now() + timeout;
    for (;;) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
            const bool mapped = (event->response_type & 0x7F) == XCB_MAP_NOTIFY &&
                                !reinterpret_cast<xcb_map_notify_event_t*>(event)->override_redirect;
            std::free(event);
            if (mapped) {
                return Clock::now();
            }
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now());
        if (left.count() <= 0 || xcb_connection_has_error(m_connection)) {
            return std::nullopt;
        }
        pollfd wait{xcb_get_file_descriptor(m_connection), POLLIN, 0};
        ::poll(&wait, 1, static_cast<int>(left.count()));
    }
}

} // namespace corvane::bench
