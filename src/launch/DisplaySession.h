// The display session this process can show itself in, probed before QApplication exists, because Qt
// aborts the process when it can open no platform.
#pragma once

#include <functional>
#include <string_view>

struct xcb_connection_t;

namespace corvane {

// Whether Qt will find a platform it can open. The platforms Qt tries are those QT_QPA_PLATFORM names
// (";"-separated, each optionally followed by ":options"), or else, as Qt picks them itself, "wayland"
// when WAYLAND_DISPLAY or XDG_SESSION_TYPE=wayland says so, then "xcb". One of them must have its plugin
// installed and, for xcb, a reachable X server at DISPLAY, for wayland, a compositor listening at
// WAYLAND_DISPLAY (a socket name under XDG_RUNTIME_DIR, or a path). Other platforms (offscreen,
// minimal, ...) need their plugin only.
//
// On X11 the connection made for the check stays open until release() (or destruction): a fresh X
// server (Xvfb, as xvfb-run starts it) resets when its last client leaves and refuses connections while
// it does, so closing it before Qt has connected could make Qt's connection fail, and Qt then aborts.
class DisplaySession final {
public:
    // Whether a platform plugin of this name (without options) is installed; Qt's own knowledge, asked
    // by the caller. Without one, every plugin counts as installed.
    using PluginPresent = std::function<bool(std::string_view platform)>;

    static DisplaySession probe(const PluginPresent& pluginPresent = {});

    DisplaySession(DisplaySession&& other) noexcept;
    DisplaySession& operator=(DisplaySession&&) = delete;
    DisplaySession(const DisplaySession&) = delete;
    DisplaySession& operator=(const DisplaySession&) = delete;
    ~DisplaySession();

    bool available() const { return m_available; }
    void release();

private:
    DisplaySession(bool available, xcb_connection_t* connection) : m_available(available), m_connection(connection) {}

    bool m_available = false;
    xcb_connection_t* m_connection = nullptr;
};

} // namespace corvane
