#include "launch/DisplaySession.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <string_view>
#include <utility>

namespace corvane {
namespace {

bool environmentSet(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

} // namespace

// Qt aborts the process when its X connection fails, so the connection is tried first: a DISPLAY that
// names no reachable server is no session.
DisplaySession DisplaySession::probe()
{
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const std::string_view requested = platform ? platform : "";
    if (requested.starts_with("xcb") || (requested.empty() && environmentSet("DISPLAY"))) {
        if (!environmentSet("DISPLAY")) {
            return {false, nullptr};
        }
        xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(connection) != 0) {
            xcb_disconnect(connection);
            return {false, nullptr};
        }
        return {true, connection};
    }
    if (requested.starts_with("wayland")) {
        return {environmentSet("WAYLAND_DISPLAY"), nullptr};
    }
    if (!requested.empty()) {
        return {true, nullptr};
    }
    return {environmentSet("WAYLAND_DISPLAY"), nullptr};
}

DisplaySession::DisplaySession(DisplaySession&& other) noexcept
    : m_available(other.m_available), m_connection(std::exchange(other.m_connection, nullptr))
{}

DisplaySession::~DisplaySession()
{
    release();
}

void DisplaySession::release()
{
    if (m_connection) {
        xcb_disconnect(std::exchange(m_connection, nullptr));
    }
}

} // namespace corvane
