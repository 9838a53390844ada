// Reads the test host's output while streams run, and tells when what a program exported has reached
// the host. The host reports every D-Bus signal of the items (thousands in a stream); unread, its output
// pipe would fill and stall it. Both programs change the tooltip with every state they accept, so a
// stream's finishing line is the host reading the tooltip of the stream's last accepted state from the
// program: the drain thread asks the host to read the item ("dump <item>") at once and again after each
// tooltip signal, until the title is that tooltip. A program's messages leave its connection in order and
// the host handles them in order, so by then every signal the program sent before has reached the host,
// whether it sent one per state or one for many.
// The host's Process (a QProcess, which is not thread-safe) is used by the drain thread alone between
// construction and destruction; commands reach the host through a descriptor of its own for the host's
// input pipe, which any thread may write. Not copyable.
#pragma once

#include "TestHost.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace corvane::bench {

class HostDrain final {
public:
    explicit HostDrain(test::TestHost& host);
    HostDrain(const HostDrain&) = delete;
    HostDrain& operator=(const HostDrain&) = delete;
    // Stops reading within one read timeout (100 ms) and joins the thread.
    ~HostDrain();

    // Waits until the host reads a ToolTip title starting with `title` (equal to it, when `exact`) from
    // `item` (as the host's "items" lists it); false on timeout.
    bool awaitTooltip(const std::string& item, const std::string& title, bool exact, std::chrono::milliseconds timeout);

private:
    struct Query {
        std::string item;
        std::string title;
        bool exact = false;
        // A "dump" is on its way; a tooltip signal came while it was; the last answer was not the title
        // and no signal has come since.
        bool inFlight = true;
        bool signalDuringFlight = false;
        bool awaitingSignal = false;
        bool met = false;
    };

    void drain(test::TestHost& host);
    // Under the lock: the command to send again now, if any.
    std::string nextCommand();
    void onLine(const std::string& line);
    // Writes one command line to the host; false when the host no longer reads them.
    bool send(const std::string& command) const;

    // The host's input pipe, opened again for writing (through /proc), so that a command written from the
    // waiting thread leaves at once without touching the Process.
    int m_commands = -1;

    std::mutex m_mutex;
    std::condition_variable m_answered;
    std::optional<Query> m_query;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

} // namespace corvane::bench
