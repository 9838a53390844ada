// Reads the test host's output while streams run, and counts the tooltip signals it reports. The host
// reports every D-Bus signal of the items (thousands in a stream); unread, its output pipe would fill
// and stall it. The count is the streams' finishing line: both programs change the tooltip with every
// state they accept, and a program's signals leave in order, so once the host has seen one tooltip
// signal per accepted line, everything those lines made the program export has reached the shell.
// The host is used by the drain thread alone between construction and destruction. Not copyable.
#pragma once

#include "TestHost.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>

namespace corvane::bench {

class HostDrain final {
public:
    explicit HostDrain(test::TestHost& host);
    HostDrain(const HostDrain&) = delete;
    HostDrain& operator=(const HostDrain&) = delete;
    // Stops reading within one read timeout (100 ms) and joins the thread.
    ~HostDrain();

    // "new-tooltip" events reported so far.
    std::size_t tooltips() const;
    // Waits until at least `count` have been reported; false on timeout.
    bool awaitTooltips(std::size_t count, std::chrono::milliseconds timeout);

private:
    void drain(test::TestHost& host);

    mutable std::mutex m_mutex;
    std::condition_variable m_reported;
    std::size_t m_tooltips = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

} // namespace corvane::bench
