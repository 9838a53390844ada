// Starts and stops a private dbus-daemon. Owner's thread only.
#include "SessionBus.h"

#include <fstream>
#include <stdexcept>

namespace corvane::test {
namespace {

using namespace std::chrono_literals;

// Like the stock session configuration, but listening in our own directory and without service
// directories: a program asking for an absent name gets an error instead of a started service.
std::string writeConfiguration(const std::filesystem::path& directory)
{
    const std::filesystem::path file = directory / "bus.conf";
    std::ofstream(file) << "<busconfig>\n"
                           "  <type>session</type>\n"
                           "  <listen>unix:dir="
                        << directory.string()
                        << "</listen>\n"
                           "  <auth>EXTERNAL</auth>\n"
                           "  <policy context=\"default\">\n"
                           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                           "    <allow eavesdrop=\"true\"/>\n"
                           "    <allow own=\"*\"/>\n"
                           "  </policy>\n"
                           "</busconfig>\n";
    return file.string();
}

Process::Options daemonOptions()
{
    Process::Options options;
    options.input = Process::Stream::Null;
    options.errors = Process::Stream::Inherit;
    return options;
}

} // namespace

SessionBus::SessionBus()
    : m_directory("corvane-bus"), m_daemon({"dbus-daemon", "--nofork", "--nopidfile", "--print-address=1",
                                            "--config-file=" + writeConfiguration(m_directory.path())},
                                           daemonOptions())
{
    const std::optional<std::string> address = m_daemon.readLine(10s);
    if (!address || address->empty()) {
        throw std::runtime_error("dbus-daemon did not report an address");
    }
    m_address = *address;
}

SessionBus::~SessionBus()
{
    m_daemon.terminate();
    m_daemon.wait(5s);
}

} // namespace corvane::test
