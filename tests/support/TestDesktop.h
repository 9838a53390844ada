// One private desktop for an end-to-end test: a virtual X display, a session bus, fresh runtime and
// temporary directories and, once started, the test tray host. Not copyable or movable; one owner thread.
#pragma once

#include "Environment.h"
#include "ScratchDirectory.h"
#include "SessionBus.h"
#include "TestHost.h"
#include "VirtualDisplay.h"

#include <filesystem>
#include <optional>
#include <string>

namespace corvane::test {

class TestDesktop final {
public:
    TestDesktop();

    // Starts the host on this desktop's bus and waits until it owns the watcher name. Programs that should
    // see a tray must start after this.
    TestHost& startHost(const std::string& program);
    // Throws std::logic_error before startHost.
    TestHost& host();

    // This process's environment with DISPLAY, DBUS_SESSION_BUS_ADDRESS, QT_QPA_PLATFORM=xcb and this
    // desktop's XDG_RUNTIME_DIR and TMPDIR; variables naming another desktop session are removed, and
    // ASan's strict string checks are off.
    Environment environment() const;
    // Scratch space for the test's own files, removed with the desktop.
    std::filesystem::path directory() const { return m_scratch.path() / "files"; }

private:
    ScratchDirectory m_scratch;
    VirtualDisplay m_display;
    SessionBus m_bus;
    std::optional<TestHost> m_host;
};

} // namespace corvane::test
