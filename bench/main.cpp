// corvane-bench: measures corvane-tray against bare Qt 6 programs (bench/baseline) in a private test
// desktop and prints one report, also written to bench/RESULTS.md.
//
//   corvane-bench [--quick] [--only protocol|startup|stream] [--results FILE | --no-results]
#include "MachineInfo.h"
#include "ProtocolBench.h"
#include "Report.h"
#include "StartupBench.h"
#include "StreamBench.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

struct Options {
    int rounds = 5;
    std::chrono::milliseconds idleWindow = 3s;
    std::string only;
    std::string results = CORVANE_BENCH_RESULTS;
};

// Whether `program` is an executable on PATH (what `command -v` finds).
bool onPath(const std::string& program)
{
    const char* path = std::getenv("PATH");
    std::string rest = path ? path : "";
    for (std::size_t start = 0; start <= rest.size();) {
        const std::size_t end = std::min(rest.find(':', start), rest.size());
        if (end > start && ::access((rest.substr(start, end - start) + '/' + program).c_str(), X_OK) == 0) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

Options parse(int argc, char** argv)
{
    Options options;
    for (int index = 1; index < argc; ++index) {
        const std::string argument = argv[index];
        if (argument == "--quick") {
            options.rounds = 3;
            options.idleWindow = 1s;
        } else if (argument == "--only" && index + 1 < argc) {
            options.only = argv[++index];
        } else if (argument == "--results" && index + 1 < argc) {
            options.results = argv[++index];
        } else if (argument == "--no-results") {
            options.results.clear();
        } else {
            std::fprintf(stderr, "usage: corvane-bench [--quick] [--only protocol|startup|stream] "
                                 "[--results FILE | --no-results]\n");
            std::exit(2);
        }
    }
    return options;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace corvane::bench;
    const Options options = parse(argc, argv);
    const auto wanted = [&options](const char* suite) { return options.only.empty() || options.only == suite; };
    try {
        Report report(MachineInfo::current());
        ResultTable goals("Goals");
        ResultTable protocol("Protocol layer alone");
        ResultTable latency("Latency, one line in flight, 5 rows (all runs pooled)");
        ResultTable scale("Scale: cost per line by line length and by row count");
        if (wanted("protocol")) {
            ProtocolBench(options.rounds).run(protocol);
        }
        if (wanted("startup")) {
            StartupBench(options.rounds, options.idleWindow).run(goals);
        }
        if (wanted("stream")) {
            StreamBench(options.rounds).run(goals, latency, scale);
        }
        for (const ResultTable* table : {&goals, &latency, &scale, &protocol}) {
            if (!table->rows().empty()) {
                report.add(*table);
            }
        }
        report.note("Baselines (bench/baseline): bench_bare_tray (QApplication, QSystemTrayIcon, QMenu; nlohmann/json "
                    "parse; texts, enabled flags and tooltip set; menu refilled when the ids change), "
                    "bench_bare_form (a QWidget with the form's controls), bench_bare_folder (a non-native "
                    "QFileDialog for folders). All run in the same test desktop: Xvfb, a private session bus and "
                    "corvane-test-host as the StatusNotifierWatcher and host.");
        report.note("Start-up is timed from just before fork/exec. \"Item registered\" is the test host's "
                    "item-registered event for both programs; the folder dialogs count as shown when the X server "
                    "maps their top-level window (no window manager, so mapped is viewable).");
        report.note("Peak RSS is VmHWM from /proc/<pid>/status just before the program is ended; idle wake-ups are "
                    "voluntary context switches summed over all threads during the idle window.");
        report.note("A stream is timed from its first byte written until the last answer is read and the host has "
                    "read the tooltip of the last accepted line from the program (asked at once and again after "
                    "each tooltip signal; a program's messages leave in order, so everything it sent before has "
                    "reached the host by then, whether it signals every state, as Qt does, or once for the states "
                    "of one pass of its event loop, as corvane-tray does): Qt relays D-Bus signals on a thread of "
                    "its own, which can lag far behind the answers, and that export work is part of the cost. CPU "
                    "time is the programs' own processor time (schedstat, all threads) over the same span; it is "
                    "the steadier figure on a busy machine. The host's output is drained throughout.");
        report.note(onPath("yad") ? "yad is installed but not measured by this bench."
                                  : "yad is not installed, so it was not measured.");
        const std::string text = report.markdown();
        std::fwrite(text.data(), 1, text.size(), stdout);
        if (!options.results.empty() && options.only.empty()) {
            report.write(options.results);
            std::printf("\nWritten to %s\n", options.results.c_str());
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "corvane-bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
