// A private D-Bus session bus daemon for one test, with no activatable services so that nothing outside
// the test joins it. Ended by its PID on destruction. Not copyable or movable; one owner thread.
#pragma once

#include "Process.h"
#include "ScratchDirectory.h"

#include <string>

namespace corvane::test {

class SessionBus final {
public:
    // Throws when dbus-daemon cannot be started or does not report its address in time.
    SessionBus();
    ~SessionBus();

    // For DBUS_SESSION_BUS_ADDRESS.
    const std::string& address() const { return m_address; }

private:
    ScratchDirectory m_directory;
    Process m_daemon;
    std::string m_address;
};

} // namespace corvane::test
