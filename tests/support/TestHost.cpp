// Client side of the test host's line protocol. Owner's thread only.
#include "TestHost.h"

#include <QDeadlineTimer>

#include <algorithm>
#include <stdexcept>

namespace corvane::test {
namespace {

using namespace std::chrono_literals;

Process::Options hostOptions(const Environment& environment)
{
    Process::Options options{environment};
    options.errors = Process::Stream::Inherit;
    return options;
}

std::chrono::milliseconds remaining(const QDeadlineTimer& deadline)
{
    return std::chrono::milliseconds(deadline.remainingTime());
}

bool isEvent(const nlohmann::json& message, std::string_view name)
{
    const auto event = message.find("event");
    return event != message.end() && event->is_string() && event->get_ref<const std::string&>() == name;
}

} // namespace

TestHost::TestHost(const std::string& program, const Environment& environment)
    : m_process({program}, hostOptions(environment))
{
    if (!awaitEvent("watcher-ready")) {
        throw std::runtime_error("corvane-test-host did not become ready");
    }
}

TestHost::~TestHost()
{
    if (m_process.writeStdin("quit\n")) {
        m_process.wait(5s);
    }
}

std::string TestHost::command(std::string_view line, std::chrono::milliseconds timeout)
{
    return request(line, timeout).dump();
}

nlohmann::json TestHost::request(std::string_view line, std::chrono::milliseconds timeout)
{
    if (!m_process.writeStdin(std::string(line) + '\n')) {
        throw std::runtime_error("corvane-test-host no longer reads commands");
    }
    const QDeadlineTimer deadline(timeout);
    while (std::optional<nlohmann::json> message = nextMessage(remaining(deadline))) {
        if (message->contains("reply")) {
            return *message;
        }
        if (message->contains("event")) {
            m_events.push_back(std::move(*message));
        }
    }
    throw std::runtime_error("no reply from corvane-test-host to: " + std::string(line));
}

nlohmann::json TestHost::dump()
{
    nlohmann::json reply = request("dump");
    if (!reply.value("ok", false)) {
        throw std::runtime_error("dump failed: " + reply.value("error", std::string()));
    }
    return reply;
}

bool TestHost::awaitEvent(std::string_view name, std::chrono::milliseconds timeout)
{
    const auto kept = std::find_if(m_events.begin(), m_events.end(),
                                   [name](const nlohmann::json& event) { return isEvent(event, name); });
    if (kept != m_events.end()) {
        m_events.erase(kept);
        return true;
    }
    const QDeadlineTimer deadline(timeout);
    while (std::optional<nlohmann::json> message = nextMessage(remaining(deadline))) {
        if (isEvent(*message, name)) {
            return true;
        }
        if (message->contains("event")) {
            m_events.push_back(std::move(*message));
        }
    }
    return false;
}

std::optional<nlohmann::json> TestHost::nextMessage(std::chrono::milliseconds timeout)
{
    const QDeadlineTimer deadline(timeout);
    while (std::optional<std::string> line = m_process.readLine(remaining(deadline))) {
        nlohmann::json message = nlohmann::json::parse(*line, nullptr, false);
        if (message.is_object()) {
            return message;
        }
    }
    return std::nullopt;
}

} // namespace corvane::test
