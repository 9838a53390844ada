// Start-up, peak memory and idleness of corvane-tray against the bare Qt programs, mode by mode, in one
// test desktop with the test tray host: tray (exec to the item registered with the watcher, and to
// "tray-visible"), form (exec to "form-visible" after the first "form" line), folder chooser (exec to
// the dialog mapped). Runs alternate ours and the baseline, after one unmeasured warm-up run of each.
// One owner thread.
#pragma once

#include "Programs.h"
#include "ResultTable.h"
#include "Samples.h"
#include "TestDesktop.h"
#include "WindowWatch.h"

#include <chrono>

namespace corvane::bench {

class StartupBench final {
public:
    StartupBench(int rounds, std::chrono::milliseconds idleWindow);

    void run(ResultTable& table);

private:
    struct Figures {
        Samples registeredMs;
        Samples visibleMs;
        Samples peakKiB;
        // In the first second after shown, and per second over the idle window after that.
        Samples settlingWakeups;
        Samples wakeupsPerSecond;
    };

    void trayRun(bool ours, Figures& figures);
    void formRun(bool ours, Figures& figures);
    void folderRun(bool ours, Figures& figures);
    void addRows(ResultTable& table, const char* mode, const Figures& ours, const Figures& bare) const;
    // Voluntary context switches of `program` per second while it waits `span` with nothing to do.
    static double wakeupsPerSecond(test::Process& program, std::chrono::milliseconds span);

    int m_rounds = 0;
    std::chrono::milliseconds m_idleWindow;
    test::TestDesktop m_desktop;
    Programs m_programs;
    WindowWatch m_windows;
};

} // namespace corvane::bench
