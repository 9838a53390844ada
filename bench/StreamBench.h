// Throughput, latency and scale of tray-state lines over a pipe, for corvane-tray (--smoke, so every
// accepted line is answered by "state-applied") against bench_bare_tray, both running at once in one
// test desktop with the test tray host, so the D-Bus menu export is real. A stream is timed until its
// last answer is read and the host has read the tooltip of its last accepted line from the program, so
// the export work the lines caused (done on Qt's D-Bus thread, which can lag behind the answers) is
// counted.
// Runs alternate ours and the baseline; the host's output is drained throughout. One owner thread.
#pragma once

#include "HostDrain.h"
#include "Process.h"
#include "Programs.h"
#include "ResultTable.h"
#include "Samples.h"
#include "TestDesktop.h"
#include "TrayStates.h"

#include <optional>

namespace corvane::bench {

class StreamBench final {
public:
    explicit StreamBench(int rounds);
    ~StreamBench();
    StreamBench(const StreamBench&) = delete;
    StreamBench& operator=(const StreamBench&) = delete;

    void run(ResultTable& throughput, ResultTable& latency, ResultTable& scale);

private:
    struct Paired {
        Samples ours;
        Samples bare;
        // Processor time of each program per line (all threads), in microseconds.
        Samples oursCpu;
        Samples bareCpu;
        // Voluntary context switches of each program per line (all threads): its wake-ups.
        Samples oursSwitches;
        Samples bareSwitches;
    };

    // Microseconds per line of `count` lines of `shape` (or refused lines), alternating the programs.
    Paired perLine(const StreamShape& shape, std::size_t count, int rounds, bool refused = false);
    Paired latencies(const StreamShape& shape, std::size_t count, int rounds);
    // What a program's tooltip reads after the lines it accepted: a state's tooltip begins with its
    // serial; the short lines that the baseline accepts and corvane-tray refuses have an empty one.
    struct Shown {
        std::string title;
        bool exact = false;
    };

    // Records what the program shows when the last stream accepted anything (the state with `serial`, or
    // without one a short line), and waits until the host reads that tooltip from the program:
    // everything the lines accepted so far made the program export over D-Bus has then reached the host.
    void awaitExport(bool ours, std::optional<long> serial, std::size_t accepted);
    void throughputRows(ResultTable& table);
    void scaleRows(ResultTable& table);

    int m_rounds = 0;
    long m_serial = 1;
    test::TestDesktop m_desktop;
    test::TestHost& m_host;
    Programs m_programs;
    test::Process m_ours;
    test::Process m_bare;
    std::optional<HostDrain> m_drain;
    // Each program's item as the host lists it, and the serial of the last state it accepted.
    std::string m_oursItem;
    std::string m_bareItem;
    Shown m_oursShown;
    Shown m_bareShown;
};

} // namespace corvane::bench
