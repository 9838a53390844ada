#include "launch/DisplaySession.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace corvane {
namespace {

const char* environment(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

// The platforms Qt will try, in its order, without their options.
std::vector<std::string> candidatePlatforms()
{
    std::vector<std::string> platforms;
    if (const char* requested = environment("QT_QPA_PLATFORM")) {
        std::string_view list = requested;
        while (!list.empty()) {
            const std::string_view item = list.substr(0, list.find(';'));
            list.remove_prefix(std::min(list.size(), item.size() + 1));
            if (const std::string_view name = item.substr(0, item.find(':')); !name.empty()) {
                platforms.emplace_back(name);
            }
        }
        return platforms;
    }
    const char* session = environment("XDG_SESSION_TYPE");
    if (environment("WAYLAND_DISPLAY") || (session && std::strcmp(session, "wayland") == 0)) {
        platforms.emplace_back("wayland");
    }
    platforms.emplace_back("xcb");
    return platforms;
}

// A compositor accepts connections at WAYLAND_DISPLAY: a name under XDG_RUNTIME_DIR, or an absolute path.
// The connection is closed at once; the compositor sees a client that leaves without a request.
bool waylandReachable()
{
    // Without the variable, the Wayland client library connects to "wayland-0", and so does Qt.
    const char* display = environment("WAYLAND_DISPLAY");
    std::string path = display ? display : "wayland-0";
    if (path.front() != '/') {
        const char* runtime = environment("XDG_RUNTIME_DIR");
        if (!runtime) {
            return false;
        }
        path = std::string(runtime) + "/" + path;
    }
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path) {
        return false;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket < 0) {
        return false;
    }
    const bool connected = ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(socket);
    return connected;
}

} // namespace

DisplaySession DisplaySession::probe(const PluginPresent& pluginPresent)
{
    for (const std::string& platform : candidatePlatforms()) {
        if (pluginPresent && !pluginPresent(platform)) {
            continue;
        }
        if (platform == "xcb") {
            // Qt aborts when its X connection fails, so the connection is tried first.
            if (!environment("DISPLAY")) {
                continue;
            }
            xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
            if (xcb_connection_has_error(connection) != 0) {
                xcb_disconnect(connection);
                continue;
            }
            return {true, connection};
        }
        if (platform.starts_with("wayland") && !waylandReachable()) {
            continue;
        }
        return {true, nullptr};
    }
    return {false, nullptr};
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
