// Starts and stops a private Xvfb server. Owner's thread only.
#include "VirtualDisplay.h"

#include <stdexcept>

namespace corvane::test {
namespace {

using namespace std::chrono_literals;

Process::Options serverOptions()
{
    Process::Options options;
    options.input = Process::Stream::Null;
    options.errors = Process::Stream::Inherit;
    return options;
}

} // namespace

VirtualDisplay::VirtualDisplay()
    // Xvfb writes the display number it took to -displayfd once it accepts clients: here, our pipe.
    : m_server({"Xvfb", "-displayfd", "1", "-screen", "0", "1280x800x24", "-nolisten", "tcp"}, serverOptions())
{
    const std::optional<std::string> number = m_server.readLine(10s);
    if (!number || number->empty()) {
        throw std::runtime_error("Xvfb did not report a display");
    }
    m_display = ':' + *number;
}

VirtualDisplay::~VirtualDisplay()
{
    // SIGTERM lets Xvfb remove its lock file and socket; the Process kills it if it lingers.
    m_server.terminate();
    m_server.wait(5s);
}

} // namespace corvane::test
