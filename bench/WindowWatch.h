// Sees top-level windows being mapped on an X display, whoever owns them: the moment a dialog reaches
// the screen, told the same way for every program (on a display without a window manager, a mapped
// top-level window is viewable at once). Connects on construction and selects substructure
// notifications on the root window; waits sleep in poll() on the X connection. One owner thread.
#pragma once

#include <chrono>
#include <optional>
#include <string>

struct xcb_connection_t;

namespace corvane::bench {

class WindowWatch final {
public:
    using Clock = std::chrono::steady_clock;

    // Throws std::runtime_error when the display cannot be reached.
    explicit WindowWatch(const std::string& display);
    WindowWatch(const WindowWatch&) = delete;
    WindowWatch& operator=(const WindowWatch&) = delete;
    ~WindowWatch();

    // Drops the notifications received so far.
    void clear();
    // The time the next top-level window (not override-redirect) was seen mapped; nothing on timeout.
    std::optional<Clock::time_point> awaitMap(std::chrono::milliseconds timeout);

private:
    xcb_connection_t* m_connection = nullptr;
};

} // namespace corvane::bench
