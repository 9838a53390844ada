// An Xvfb server on a display number it picks itself (1280x800, 24 bits, no TCP) for one test. Ended by
// its PID on destruction. Not copyable or movable; one owner thread.
#pragma once

#include "Process.h"

#include <string>

namespace corvane::test {

class VirtualDisplay final {
public:
    // Throws std::runtime_error when Xvfb does not report its display in time.
    VirtualDisplay();
    ~VirtualDisplay();

    // ":N", for DISPLAY.
    const std::string& display() const { return m_display; }

private:
    Process m_server;
    std::string m_display;
};

} // namespace corvane::test
