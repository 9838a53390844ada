// Feeds tray-state lines to a running program that answers each line with one event line, and times
// it: as a stream (everything written at once; the write takes in the answers as they come, so neither
// pipe stalls) or one line at a time (latency from a line written to its answer read). One owner thread.
#pragma once

#include "Process.h"
#include "Samples.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace corvane::bench {

class LineStream final {
public:
    using Clock = std::chrono::steady_clock;

    explicit LineStream(test::Process& process) : m_process(process) {}

    // Microseconds per line, from the first byte written to the last answer read and, when given,
    // `finished` returning (it gets the number of accepted lines and waits for their side effects).
    double microsecondsPerLine(const std::vector<std::string>& lines,
                               const std::function<void(std::size_t accepted)>& finished = {});
    // Microseconds from each line written to its answer read, one line in flight at a time.
    Samples latencies(const std::vector<std::string>& lines);
    // Sends one line and reads its answer, untimed: a stream's layout is set before it is timed.
    void settle(const std::string& line);

    // How many answers of the last call were "state-applied".
    std::size_t accepted() const { return m_accepted; }

private:
    void readAnswer();

    test::Process& m_process;
    std::size_t m_accepted = 0;
};

} // namespace corvane::bench
