// Start-up runs: each starts one program, waits for the moment that counts as shown, measures
// idleness and peak memory, and ends the program by closing its input or by its PID.
#include "StartupBench.h"

#include "ProcStatus.h"

#include <future>
#include <stdexcept>

namespace corvane::bench {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto timeout = 20s;
constexpr const char* formLine = R"({"type":"form","mode":"setup","projectRoot":""})";

double milliseconds(Clock::duration span)
{
    return std::chrono::duration<double, std::milli>(span).count();
}

void expectLine(test::Process& process, std::string_view expected)
{
    const std::optional<std::string> line = process.readLine(timeout);
    if (line != expected) {
        throw std::runtime_error("expected " + std::string(expected) + ", got " + line.value_or("nothing"));
    }
}

void endByInput(test::Process& process)
{
    process.closeStdin();
    if (process.wait(timeout) != 0) {
        throw std::runtime_error("a program did not end cleanly at end of input");
    }
}

ResultTable::Row ratioRow(std::string metric, const Samples& ours, const Samples& bare, int decimals,
                          std::string_view unit, double goal)
{
    const Samples ratios = ours.ratiosTo(bare);
    return {std::move(metric),
            ResultTable::figure(ours, decimals, unit),
            ResultTable::figure(bare, decimals, unit),
            ResultTable::figure(ratios, 2, "x"),
            "≤ " + ResultTable::number(goal, 2) + "x",
            !ratios.empty() && ratios.median() <= goal};
}

} // namespace

StartupBench::StartupBench(int rounds, std::chrono::milliseconds idleWindow)
    : m_rounds(rounds), m_idleWindow(idleWindow), m_programs(m_desktop), m_windows(m_programs.display())
{
    m_desktop.startHost(CORVANE_TEST_HOST_PATH);
}

void StartupBench::trayRun(bool ours, Figures& figures)
{
    test::TestHost& host = m_desktop.host();
    const Clock::time_point start = Clock::now();
    test::Process tray = ours ? m_programs.ours({"--smoke"}) : m_programs.bareTray();
    // The host's event and the program's own lines come on two pipes: each is awaited on its own thread.
    std::future<Clock::time_point> registered = std::async(std::launch::async, [&host] {
        if (!host.awaitEvent("item-registered", timeout)) {
            throw std::runtime_error("the tray item was not registered");
        }
        return Clock::now();
    });
    expectLine(tray, R"({"event":"ready"})");
    if (ours) {
        expectLine(tray, R"({"event":"tray-visible"})");
    }
    const Clock::time_point visible = Clock::now();
    const Clock::time_point registeredAt = registered.get();
    figures.registeredMs.add(milliseconds(registeredAt - start));
    figures.visibleMs.add(milliseconds((ours ? visible : registeredAt) - start));

    figures.settlingWakeups.add(wakeupsPerSecond(tray, 1s));
    figures.wakeupsPerSecond.add(wakeupsPerSecond(tray, m_idleWindow));
    figures.peakKiB.add(static_cast<double>(peakResidentKiB(tray.pid())));
    endByInput(tray);
    if (!host.awaitEvent("item-unregistered", timeout)) {
        throw std::runtime_error("the tray item was not unregistered");
    }
}

double StartupBench::wakeupsPerSecond(test::Process& program, std::chrono::milliseconds span)
{
    const long before = voluntarySwitches(program.pid());
    const Clock::time_point start = Clock::now();
    // Any output would end the wait early; an idle program writes nothing.
    while (Clock::now() - start < span) {
        program.readLine(std::chrono::ceil<std::chrono::milliseconds>(span - (Clock::now() - start)));
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return static_cast<double>(voluntarySwitches(program.pid()) - before) / seconds;
}

void StartupBench::formRun(bool ours, Figures& figures)
{
    const Clock::time_point start = Clock::now();
    test::Process form = ours ? m_programs.ours({"form", "--smoke"}) : m_programs.bareForm();
    expectLine(form, R"({"event":"ready"})");
    form.writeStdin(std::string(formLine) + '\n');
    if (ours) {
        expectLine(form, R"({"event":"form-presented","mode":"setup"})");
    }
    expectLine(form, R"({"event":"form-visible"})");
    figures.visibleMs.add(milliseconds(Clock::now() - start));
    figures.peakKiB.add(static_cast<double>(peakResidentKiB(form.pid())));
    endByInput(form);
}

void StartupBench::folderRun(bool ours, Figures& figures)
{
    m_windows.clear();
    const Clock::time_point start = Clock::now();
    test::Process chooser = ours ? m_programs.ours({"choose-folder"}) : m_programs.bareFolder();
    const std::optional<Clock::time_point> mapped = m_windows.awaitMap(timeout);
    if (!mapped) {
        throw std::runtime_error("the folder dialog was not mapped");
    }
    figures.visibleMs.add(milliseconds(*mapped - start));
    figures.peakKiB.add(static_cast<double>(peakResidentKiB(chooser.pid())));
    chooser.terminate();
    chooser.wait(timeout);
}

void StartupBench::run(ResultTable& table)
{
    struct Mode {
        const char* name;
        void (StartupBench::*runOnce)(bool, Figures&);
    };
    for (const Mode mode : {Mode{"tray", &StartupBench::trayRun}, Mode{"form", &StartupBench::formRun},
                            Mode{"folder chooser", &StartupBench::folderRun}}) {
        Figures warmUp;
        (this->*mode.runOnce)(true, warmUp);
        (this->*mode.runOnce)(false, warmUp);
        Figures ours;
        Figures bare;
        for (int round = 0; round < m_rounds; ++round) {
            (this->*mode.runOnce)(true, ours);
            (this->*mode.runOnce)(false, bare);
        }
        addRows(table, mode.name, ours, bare);
    }
}

void StartupBench::addRows(ResultTable& table, const char* mode, const Figures& ours, const Figures& bare) const
{
    const std::string name = mode;
    if (name == "tray") {
        table.add(ratioRow("Start-up, tray: exec → item registered (host)", ours.registeredMs, bare.registeredMs, 1,
                           "ms", 1.15));
        table.add(ratioRow("Start-up, tray: exec → tray-visible (bare: registered)", ours.visibleMs, bare.visibleMs, 1,
                           "ms", 1.15));
    } else if (name == "form") {
        table.add(ratioRow("Start-up, form: exec → form-visible", ours.visibleMs, bare.visibleMs, 1, "ms", 1.15));
    } else {
        table.add(
            ratioRow("Start-up, folder chooser: exec → dialog mapped", ours.visibleMs, bare.visibleMs, 1, "ms", 1.15));
    }
    table.add(ratioRow("Peak RSS (VmHWM), " + name, ours.peakKiB, bare.peakKiB, 0, "KiB", 1.10));
    if (!ours.wakeupsPerSecond.empty()) {
        table.add({"Wake-ups in the first second after shown, " + name,
                   ResultTable::figure(ours.settlingWakeups, 1, "/s"),
                   ResultTable::figure(bare.settlingWakeups, 1, "/s"), "—", "—", std::nullopt});
        const std::string window = ResultTable::number(std::chrono::duration<double>(m_idleWindow).count(), 0);
        table.add({"Idle wake-ups/s, " + name + " (the " + window + " s after that)",
                   ResultTable::figure(ours.wakeupsPerSecond, 1, "/s"),
                   ResultTable::figure(bare.wakeupsPerSecond, 1, "/s"), "—", "0/s", ours.wakeupsPerSecond.max() == 0});
    }
}

} // namespace corvane::bench
