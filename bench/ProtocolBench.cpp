// In-process timing of the dispatcher and of a bare parse over the stream lines.
#include "ProtocolBench.h"

#include "NullTray.h"
#include "TrayStates.h"
#include "protocol/TrayDispatcher.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <stdexcept>

namespace corvane::bench {
namespace {

using Clock = std::chrono::steady_clock;

// Where the bare parse's result goes, so that the parse cannot be left out.
volatile std::size_t parsedObjects = 0;

double microsecondsPerLine(const std::vector<std::string>& lines, bool ours)
{
    NullTray tray;
    TrayDispatcher dispatcher(tray, tray, true);
    const Clock::time_point start = Clock::now();
    for (const std::string& line : lines) {
        if (ours) {
            dispatcher.receive(line);
        } else {
            parsedObjects = parsedObjects + (nlohmann::json::parse(line, nullptr, false).is_object() ? 1 : 0);
        }
    }
    const double elapsed = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
    if (ours && tray.events() != lines.size()) {
        throw std::runtime_error("the dispatcher did not answer every line");
    }
    return elapsed / static_cast<double>(lines.size());
}

} // namespace

void ProtocolBench::run(ResultTable& table) const
{
    struct Stream {
        std::string name;
        std::vector<std::string> lines;
    };
    const std::vector<Stream> streams = {
        {"Protocol only (in-process), 5-row state", stateLines({.rows = 5}, 1, 2000)},
        {"Protocol only (in-process), 32-row state", stateLines({.rows = 32}, 1, 1000)},
        {"Protocol only (in-process), refused short line", refusedLines(2000)},
    };
    for (const Stream& stream : streams) {
        Samples ours;
        Samples bare;
        for (int round = 0; round < m_rounds; ++round) {
            ours.add(microsecondsPerLine(stream.lines, true));
            bare.add(microsecondsPerLine(stream.lines, false));
        }
        table.add({stream.name + " (baseline: nlohmann parse)", ResultTable::figure(ours, 2, "µs"),
                   ResultTable::figure(bare, 2, "µs"), ResultTable::figure(ours.ratiosTo(bare), 2, "x"), "—",
                   std::nullopt});
    }
}

} // namespace corvane::bench
