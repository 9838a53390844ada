// Qt ends the process with abort() (status 134, nothing said) after a fatal message when QApplication
// cannot open any platform, or when the platform it opens fails to start. DisplaySession checks
// beforehand what it can (plugins, X and Wayland connections); this guard covers the rest. While it
// lives, a fatal Qt message ends the process with the launch failure line on standard error and status
// 1, as when no display session was found; other messages go to the handler installed before it.
// Construct it right before QApplication and end it right after. Main thread.
//
// Not covered: Qt's Wayland plugin ends the process itself with _exit(1) when a compositor accepts the
// connection and then drops it.
#pragma once

#include <string>

namespace corvane {

class PlatformStartGuard final {
public:
    explicit PlatformStartGuard(std::string failureLine);
    ~PlatformStartGuard();
    PlatformStartGuard(const PlatformStartGuard&) = delete;
    PlatformStartGuard& operator=(const PlatformStartGuard&) = delete;
};

} // namespace corvane
