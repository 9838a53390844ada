// The stand-in for the platform's activation policy. Linux has no such policies: a usable display
// session is what lets this process show a tray item or a window. With one, the process counts as an
// accessory application (policy 1); without one, as prohibited (2), and no request can change that.
// Decided before QApplication exists, because Qt aborts the process when it finds no display.
#pragma once

#include "LaunchFlags.h"

#include <optional>

struct xcb_connection_t;

namespace corvane {

enum class ActivationPolicy { Regular = 0, Accessory = 1, Prohibited = 2 };

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

// Tries accessory first, then, in form and folder-chooser modes only, regular. Answers the policy that
// stands after a failure, or nothing when the process may go on.
std::optional<ActivationPolicy> settleActivationPolicy(LaunchMode mode, bool sessionAvailable);

} // namespace corvane
