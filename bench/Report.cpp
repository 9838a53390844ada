// Markdown assembly of the report.
#include "Report.h"

#include <fstream>
#include <stdexcept>

namespace corvane::bench {

std::string Report::markdown() const
{
    std::string out = "# corvane-tray benchmark results\n\n";
    out += "Written by `corvane-bench` on " + m_machine.date + ": " + std::to_string(m_machine.processors) +
           " processors, " + m_machine.cpuModel + ", " + m_machine.kernel +
           ", build type " CORVANE_BENCH_BUILD_TYPE ".\n\n";
    out += "Run it with `cmake --build --preset release --target corvane-bench && build/release/bench/corvane-bench`. "
           "Every figure is a median with the range of the runs in brackets; ratios are medians of per-round "
           "ratios, ours ÷ baseline, measured in the same invocation with ours and the baseline alternated. "
           "The machine is shared, so only ratios compare between runs.\n\n";
    for (const ResultTable& table : m_tables) {
        out += table.markdown() + '\n';
    }
    if (!m_notes.empty()) {
        out += "### Notes\n\n";
        for (const std::string& note : m_notes) {
            out += "- " + note + '\n';
        }
    }
    return out;
}

void Report::write(const std::filesystem::path& path) const
{
    std::ofstream file(path, std::ios::trunc);
    file << markdown();
    if (!file) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

} // namespace corvane::bench
