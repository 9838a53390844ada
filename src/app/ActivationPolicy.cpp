#include "ActivationPolicy.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <string_view>

namespace corvane {
namespace {

bool environmentSet(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

// Qt aborts the process when its X connection fails, so the connection is tried first: a DISPLAY that
// names no reachable server is no session.
bool xServerReachable()
{
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool reachable = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return reachable;
}

} // namespace

bool displaySessionAvailable()
{
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const std::string_view requested = platform ? platform : "";
    if (requested.starts_with("xcb") || (requested.empty() && environmentSet("DISPLAY"))) {
        return environmentSet("DISPLAY") && xServerReachable();
    }
    if (requested.starts_with("wayland")) {
        return environmentSet("WAYLAND_DISPLAY");
    }
    if (!requested.empty()) {
        return true;
    }
    return environmentSet("WAYLAND_DISPLAY");
}

std::optional<ActivationPolicy> settleActivationPolicy(LaunchMode mode, bool sessionAvailable)
{
    // The current policy, and the answer to every request: only a display session makes the process
    // an accessory (or, as the fallback, a regular) application.
    const ActivationPolicy current = sessionAvailable ? ActivationPolicy::Accessory : ActivationPolicy::Prohibited;
    const auto request = [sessionAvailable](ActivationPolicy) { return sessionAvailable; };

    if (current == ActivationPolicy::Accessory || request(ActivationPolicy::Accessory)) {
        return std::nullopt;
    }
    if (mode != LaunchMode::Tray && (current == ActivationPolicy::Regular || request(ActivationPolicy::Regular))) {
        return std::nullopt;
    }
    return current;
}

} // namespace corvane
