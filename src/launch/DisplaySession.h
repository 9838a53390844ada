// The display session this process can show itself in, probed before QApplication exists, because Qt
// aborts the process when it cannot open its display.
#pragma once

struct xcb_connection_t;

namespace corvane {

// Whether the environment names a display Qt can open: an explicit QT_QPA_PLATFORM (xcb still needs a
// reachable X server at DISPLAY, wayland a WAYLAND_DISPLAY), or else a reachable DISPLAY or a
// WAYLAND_DISPLAY.
//
// On X11 the connection made for the check stays open until release() (or destruction): a fresh X
// server (Xvfb, as xvfb-run starts it) resets when its last client leaves and refuses connections while
// it does, so closing it before Qt has connected could make Qt's connection fail, and Qt then aborts.
class DisplaySession final {
public:
    static DisplaySession probe();

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
