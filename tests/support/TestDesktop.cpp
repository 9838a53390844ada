// Runs scripts/private-desktop and reads the desktop it reports. Owner's thread only.
#include "TestDesktop.h"

#include <stdexcept>

namespace corvane::test {
namespace {

using namespace std::chrono_literals;

Process::Options desktopOptions()
{
    Process::Options options;
    options.errors = Process::Stream::Inherit;
    return options;
}

} // namespace

TestDesktop::TestDesktop() : m_desktop({CORVANE_PRIVATE_DESKTOP}, desktopOptions())
{
    // "export NAME=value", "unset NAME" and "pid NAME PID" lines, then "ready".
    for (;;) {
        const std::optional<std::string> line = m_desktop.readLine(30s);
        if (!line) {
            throw std::runtime_error("the private desktop did not come up");
        }
        if (*line == "ready") {
            return;
        }
        if (line->starts_with("export ")) {
            const std::size_t equals = line->find('=');
            m_environment.set(line->substr(7, equals - 7), line->substr(equals + 1));
        } else if (line->starts_with("unset ")) {
            m_environment.unset(line->substr(6));
        }
    }
}

TestDesktop::~TestDesktop()
{
    m_host.reset();
    // The desktop ends what it started once its input closes; the Process kills it if it does not end.
    m_desktop.closeStdin();
    m_desktop.wait(10s);
}

TestHost& TestDesktop::startHost(const std::string& program)
{
    return m_host.emplace(program, m_environment);
}

TestHost& TestDesktop::host()
{
    if (!m_host) {
        throw std::logic_error("the test host was not started");
    }
    return *m_host;
}

} // namespace corvane::test
