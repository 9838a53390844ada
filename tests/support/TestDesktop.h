// One private desktop for an end-to-end test: scripts/private-desktop (a virtual X display, a session bus,
// fresh runtime and temporary directories), scratch space for the test's files and, once started, the
// test tray host, driven over its standard input and output. Not copyable or movable; one owner thread.
#pragma once

#include "Environment.h"
#include "Process.h"
#include "TestHost.h"

#include <QTemporaryDir>

#include <filesystem>
#include <optional>
#include <string>

namespace corvane::test {

class TestDesktop final {
public:
    // Throws std::runtime_error when the desktop does not come up.
    TestDesktop();
    // Ends the host, then the desktop: everything it started is ended by its PID.
    ~TestDesktop();

    // Starts the host on this desktop's bus and waits until it owns the watcher name. Programs that should
    // see a tray must start after this.
    TestHost& startHost(const std::string& program);
    // Throws std::logic_error before startHost.
    TestHost& host();

    // This process's environment with the variables the desktop names (DISPLAY, DBUS_SESSION_BUS_ADDRESS,
    // QT_QPA_PLATFORM=xcb, its own XDG_RUNTIME_DIR and TMPDIR, ...) and without those naming another
    // desktop session.
    Environment environment() const { return m_environment; }
    // Scratch space for the test's own files, removed with the desktop.
    std::filesystem::path directory() const { return m_files.path().toStdString(); }

private:
    QTemporaryDir m_files;
    Process m_desktop;
    Environment m_environment = Environment::inherited();
    std::optional<TestHost> m_host;
};

} // namespace corvane::test
