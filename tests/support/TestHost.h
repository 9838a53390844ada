// Runs corvane-test-host, the test desktop's tray watcher and host, and speaks its line protocol: one
// JSON object per line, replies to commands and unsolicited events. Events that arrive while a reply is
// awaited are kept for awaitEvent. Not copyable or movable; one owner thread.
#pragma once

#include "Environment.h"
#include "Process.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <deque>
#include <string>
#include <string_view>

namespace corvane::test {

class TestHost final {
public:
    static constexpr std::chrono::milliseconds defaultTimeout{10000};

    // Starts `program` on the bus named in `environment` and waits for "watcher-ready". Throws
    // std::runtime_error when the host does not get ready.
    TestHost(const std::string& program, const Environment& environment);
    // Asks the host to quit; the Process kills it if it does not.
    ~TestHost();

    // Sends one command line and returns its reply line. Throws std::runtime_error when no reply comes.
    std::string command(std::string_view line, std::chrono::milliseconds timeout = defaultTimeout);
    // command(), parsed.
    nlohmann::json request(std::string_view line, std::chrono::milliseconds timeout = defaultTimeout);
    // The "dump" reply for the registered item. Throws std::runtime_error when it is not ok.
    nlohmann::json dump();

    // Consumes the first event named `name`, looking at kept events before reading new ones.
    bool awaitEvent(std::string_view name, std::chrono::milliseconds timeout = defaultTimeout);

    Process& process() { return m_process; }

private:
    // The next JSON object on the host's output; lines that are not one are skipped.
    std::optional<nlohmann::json> nextMessage(std::chrono::milliseconds timeout);

    Process m_process;
    std::deque<nlohmann::json> m_events;
};

} // namespace corvane::test
