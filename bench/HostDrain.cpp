// The drain thread: reads host lines until told to stop, and asks the host for a program's tooltip when a
// stream waits for it.
#include "HostDrain.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>
#include <utility>

namespace corvane::bench {

namespace {

int openCommands(test::TestHost& host)
{
    const std::string input = "/proc/" + std::to_string(host.process().pid()) + "/fd/0";
    const int descriptor = ::open(input.c_str(), O_WRONLY | O_CLOEXEC);
    if (descriptor < 0) {
        throw std::runtime_error("cannot open the test host's input: " + std::string(std::strerror(errno)));
    }
    return descriptor;
}

} // namespace

HostDrain::HostDrain(test::TestHost& host) : m_commands(openCommands(host)), m_thread([this, &host] { drain(host); }) {}

HostDrain::~HostDrain()
{
    m_stop = true;
    m_thread.join();
    ::close(m_commands);
}

bool HostDrain::send(const std::string& command) const
{
    // A command line is far shorter than PIPE_BUF, so it goes in whole or not at all.
    ssize_t written = -1;
    do {
        written = ::write(m_commands, command.data(), command.size());
    } while (written < 0 && errno == EINTR);
    return written == static_cast<ssize_t>(command.size());
}

void HostDrain::drain(test::TestHost& host)
{
    using namespace std::chrono_literals;
    while (!m_stop.load()) {
        std::string command;
        {
            const std::lock_guard lock(m_mutex);
            command = nextCommand();
        }
        if (!command.empty()) {
            send(command);
        }
        const std::optional<std::string> line = host.process().readLine(100ms);
        if (!line) {
            // A host that has gone away has nothing more to drain.
            if (host.process().wait(0ms)) {
                return;
            }
            continue;
        }
        onLine(*line);
    }
}

std::string HostDrain::nextCommand()
{
    if (!m_query || m_query->met || m_query->inFlight || m_query->awaitingSignal) {
        return {};
    }
    m_query->inFlight = true;
    return "dump " + m_query->item + "\n";
}

void HostDrain::onLine(const std::string& line)
{
    const bool tooltipSignal = line.find(R"("event":"new-tooltip")") != std::string::npos;
    const bool dumpReply = line.find(R"("reply":"dump")") != std::string::npos;
    if (!tooltipSignal && !dumpReply) {
        return;
    }
    const std::lock_guard lock(m_mutex);
    if (!m_query || m_query->met) {
        return;
    }
    if (tooltipSignal) {
        // Asked again once the answer on its way is in, or at once when none is.
        m_query->signalDuringFlight = m_query->inFlight;
        m_query->awaitingSignal = false;
        return;
    }
    m_query->inFlight = false;
    const nlohmann::json reply = nlohmann::json::parse(line, nullptr, false);
    const std::string title =
        reply.is_object() && reply.contains("tooltip") ? reply["tooltip"].value("title", std::string()) : "";
    if (m_query->exact ? title == m_query->title : title.starts_with(m_query->title)) {
        m_query->met = true;
        m_answered.notify_all();
        return;
    }
    m_query->awaitingSignal = !std::exchange(m_query->signalDuringFlight, false);
}

bool HostDrain::awaitTooltip(const std::string& item, const std::string& title, bool exact,
                             std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    m_query = Query{item, title, exact};
    lock.unlock();
    // Written here rather than by the drain thread, which may be waiting for a line: the stream's time
    // runs until the answer. The drain thread writes nothing to the host while this query is in flight.
    if (!send("dump " + item + "\n")) {
        lock.lock();
        m_query.reset();
        return false;
    }
    lock.lock();
    const bool met = m_answered.wait_for(lock, timeout, [this] { return m_query->met; });
    m_query.reset();
    return met;
}

} // namespace corvane::bench
