// Load and soak: a long stream of tray states (in-place updates and rebuilds, interleaved with refused
// lines) through the real binary in the test desktop. Every line must be answered, in order; memory and
// descriptors must not grow. CORVANE_SOAK_LINES sets the stream's length (default: a short CI run).
// Timings are printed for the record, never asserted.
#include "TestDesktop.h"
#include "TrayProgram.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <utility>

namespace corvane::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// AddressSanitizer keeps freed memory in quarantine, so resident memory grows with every free there: the
// memory bounds hold only in builds without it (the figures are still printed).
#if defined(__SANITIZE_ADDRESS__)
constexpr bool memoryBoundsHold = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool memoryBoundsHold = false;
#else
constexpr bool memoryBoundsHold = true;
#endif
#else
constexpr bool memoryBoundsHold = true;
#endif

constexpr std::array<const char*, 5> statuses = {"ready", "partial", "suspended", "busy", "stopped"};
constexpr const char* refusedReply = R"({"event":"protocol-error"})";

std::string row(const std::string& id, const std::string& text, bool enabled, const std::string& action)
{
    return R"({"id":")" + id + R"(","text":")" + text + R"(","enabled":)" + (enabled ? "true" : "false") +
           R"(,"action":")" + action + R"("})";
}

// The state for line `index`. Layout one: three rows and a submenu; layout two: five flat rows.
std::string stateLine(std::size_t index, bool layoutTwo, const std::string& tooltip = "Corvane")
{
    const std::string status = statuses[index % statuses.size()];
    const std::string number = std::to_string(index);
    std::string menu;
    if (layoutTwo) {
        for (int row_ = 0; row_ < 5; ++row_) {
            menu += (row_ > 0 ? "," : "") + row("r" + std::to_string(row_), "Row " + number, row_ % 2 == 0, "r");
        }
    } else {
        menu = row("a", "Pause " + number, index % 2 == 0, "pause") +
               R"(,{"id":"s","text":"","enabled":true,"separator":true},)" +
               R"({"id":"p","text":"More","enabled":true,"children":[)" + row("c1", "Child " + number, true, "child") +
               "," + row("c2", "Other", index % 3 == 0, "other") + "]}," + row("q", "Quit", true, "quit");
    }
    return R"({"status":")" + status + R"(","iconStatus":")" + statuses[(index / 3) % statuses.size()] +
           R"(","tooltip":")" + tooltip + R"(","menu":[)" + menu + "]}\n";
}

// Line `index` of the stream and its expected reply. Of every ten: in-place updates of layout one, a
// rebuild to layout two and an in-place update of it, a rebuild back, a line that is not JSON and a state
// that breaks a rule.
std::pair<std::string, std::string> streamLine(std::size_t index)
{
    switch (index % 10) {
    case 5:
    case 6:
        return {stateLine(index, true),
                R"({"event":"state-applied","status":")" + std::string(statuses[index % statuses.size()]) + R"("})"};
    case 8:
        return {R"({"status":"ready","menu":[)" + std::to_string(index) + "\n", refusedReply};
    case 9:
        return {R"({"status":"ready","iconStatus":"ready","tooltip":"","menu":[)" + row("a", "x", true, "a") + "," +
                    row("a", "y", true, "b") + "]}\n",
                refusedReply};
    default:
        return {stateLine(index, false),
                R"({"event":"state-applied","status":")" + std::string(statuses[index % statuses.size()]) + R"("})"};
    }
}

// A field of /proc/<pid>/status in kB, such as VmRSS.
long statusKilobytes(pid_t pid, const std::string& field)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with(field + ":")) {
            return std::stol(line.substr(field.size() + 1));
        }
    }
    return -1;
}

long openDescriptors(pid_t pid)
{
    const fs::path folder = "/proc/" + std::to_string(pid) + "/fd";
    return std::distance(fs::directory_iterator(folder), fs::directory_iterator());
}

std::size_t soakLines()
{
    const char* configured = std::getenv("CORVANE_SOAK_LINES");
    return configured && *configured ? std::stoull(configured) : 20000;
}

class Soak : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_desktop.startHost(CORVANE_TEST_HOST_PATH);
        startVisibleTray(m_tray, {.environment = desktopTrayEnvironment(m_desktop, identityOf('5'))});
        ASSERT_FALSE(HasFailure());
    }

    // Writes `count` lines made by `make` while reading and checking a reply per line: each write takes in
    // the replies that come meanwhile, so neither pipe can fill up and stall the other side. Answers how
    // many replies differed from the expected ones (the first is reported).
    //
    // Every state also becomes D-Bus signals to the host. The process keeps its own bus traffic in step
    // with the bus, but the host (which reports every signal) is slower still, and the bus queues for it.
    // So unless `paced` is false, the host is asked for a dump every `segment` lines (its reply comes after
    // every signal sent before it), and the lines written stay at most `window` ahead of the last answered
    // dump. Ends with the host up to date.
    std::size_t stream(std::size_t count, const std::function<std::pair<std::string, std::string>(std::size_t)>& make,
                       bool paced = true)
    {
        constexpr std::size_t segment = 1024;
        const std::size_t window = paced ? 4 * segment : count;
        Process& tray = *m_tray;
        std::size_t written = 0;
        // Writes the lines before `end` not written yet, in batches of 64 KiB; false when the tray stops reading.
        const auto writeUpTo = [&](std::size_t end) {
            std::string batch;
            for (; written < std::min(end, count); ++written) {
                batch += make(written).first;
                if (batch.size() >= 65536 && !tray.writeStdin(std::exchange(batch, {}))) {
                    return false;
                }
            }
            return batch.empty() || tray.writeStdin(batch);
        };
        std::size_t mismatches = 0;
        std::size_t confirmed = 0;
        std::size_t barrier = 0;
        bool barrierSent = false;
        const auto awaitBarrier = [&](std::chrono::milliseconds timeout) {
            if (!awaitHostDump(timeout)) {
                return false;
            }
            confirmed = barrier;
            barrierSent = false;
            return true;
        };
        for (std::size_t index = 0; index < count; ++index) {
            if (index >= written && barrierSent && !awaitBarrier(patience)) {
                ADD_FAILURE() << "the host did not answer a dump";
                tray.kill();
                break;
            }
            if (!writeUpTo(confirmed + window)) {
                ADD_FAILURE() << "the tray stopped reading at line " << written;
                tray.kill();
                break;
            }
            const std::optional<std::string> reply = tray.readLine(patience);
            if (!reply) {
                ADD_FAILURE() << "no reply to line " << index;
                mismatches += count - index;
                tray.kill();
                break;
            }
            if (const std::string expected = make(index).second; *reply != expected && mismatches++ == 0) {
                ADD_FAILURE() << "line " << index << ": " << *reply << " instead of " << expected;
            }
            if (barrierSent) {
                awaitBarrier(std::chrono::milliseconds(0));
            } else if (paced && (index + 1) % segment == 0) {
                barrierSent = m_desktop.host().process().writeStdin("dump\n");
                barrier = index + 1;
            }
        }
        if (barrierSent) {
            EXPECT_TRUE(awaitBarrier(patience));
        }
        EXPECT_TRUE(m_desktop.host().process().writeStdin("dump\n"));
        EXPECT_TRUE(awaitHostDump(patience));
        return mismatches;
    }

    // Streams `count` lines made by `make` as fast as the pipe takes them, after a warm-up, and ends the
    // process; answers how far its peak resident memory grew (kB).
    long floodPeakGrowth(const char* what, std::size_t count,
                         const std::function<std::pair<std::string, std::string>(std::size_t)>& make)
    {
        EXPECT_EQ(stream(100, streamLine), 0u);
        const long peakBefore = peakRss();
        EXPECT_EQ(stream(count, make, false), 0u);
        const long peakAfter = peakRss();
        std::printf("soak: flood of %zu %s: VmHWM %ld kB -> %ld kB (%+ld kB)\n", count, what, peakBefore, peakAfter,
                    peakAfter - peakBefore);
        EXPECT_GT(peakBefore, 0);
        m_tray->closeStdin();
        EXPECT_EQ(m_tray->wait(patience), 0);
        return peakAfter - peakBefore;
    }

    // The process's memory figures, in kB.
    long rss() const { return statusKilobytes(m_tray->pid(), "VmRSS"); }
    long peakRss() const { return statusKilobytes(m_tray->pid(), "VmHWM"); }

    // Reads the host's output, whose event reports nobody needs here, up to its reply to "dump"; false
    // when it does not come within `timeout`.
    bool awaitHostDump(std::chrono::milliseconds timeout)
    {
        const auto end = Clock::now() + timeout;
        for (;;) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now());
            const std::optional<std::string> line =
                m_desktop.host().process().readLine(std::max(left, std::chrono::milliseconds(0)));
            if (!line) {
                return false;
            }
            if (line->find(R"("reply":"dump")") != std::string::npos) {
                return true;
            }
        }
    }

    TestDesktop m_desktop;
    std::optional<Process> m_tray;
};

TEST_F(Soak, EveryLineIsAnsweredInOrderWithoutGrowth)
{
    const std::size_t lines = soakLines();
    const pid_t pid = m_tray->pid();
    // Warm up: every kind of line once, so that lazily made objects exist before the first measurement.
    ASSERT_EQ(stream(100, streamLine), 0u);
    const long rssBefore = statusKilobytes(pid, "VmRSS");
    const long descriptorsBefore = openDescriptors(pid);

    const Clock::time_point start = Clock::now();
    const std::size_t mismatches = stream(lines, streamLine);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const long rssAfter = statusKilobytes(pid, "VmRSS");
    const long descriptorsAfter = openDescriptors(pid);

    std::size_t refused = 0;
    for (std::size_t index = 0; index < lines; ++index) {
        refused += index % 10 >= 8 ? 1 : 0;
    }
    EXPECT_EQ(mismatches, 0u);
    std::printf("soak: %zu lines (%zu states applied, %zu refused) in %.1f s, %.0f lines/s\n", lines, lines - refused,
                refused, seconds, static_cast<double>(lines) / seconds);
    std::printf("soak: VmRSS %ld kB -> %ld kB (%+ld kB), VmHWM %ld kB, descriptors %ld -> %ld\n", rssBefore, rssAfter,
                rssAfter - rssBefore, statusKilobytes(pid, "VmHWM"), descriptorsBefore, descriptorsAfter);
    RecordProperty("lines", static_cast<int>(lines));
    RecordProperty("rssGrowthKb", static_cast<int>(rssAfter - rssBefore));
    EXPECT_GT(rssBefore, 0);
    if (memoryBoundsHold) {
        EXPECT_LT(rssAfter - rssBefore, 2 * 1024) << "VmRSS grew from " << rssBefore << " kB to " << rssAfter << " kB";
    }
    EXPECT_EQ(descriptorsAfter, descriptorsBefore);

    m_tray->closeStdin();
    EXPECT_EQ(m_tray->wait(patience), 0);
    EXPECT_EQ(m_tray->readAllStdout(patience), "");
    EXPECT_EQ(m_tray->readAllStderr(patience), "");
}

TEST_F(Soak, AFloodOfLinesWaitsInThePipeNotInMemory)
{
    // Refused lines are the cheapest to read and the quickest to answer, so the input reader runs furthest
    // ahead of the main thread with them; what it has read but the main thread not yet handled is bounded.
    const auto make = [](std::size_t) { return std::pair<std::string, std::string>("[]\n", refusedReply); };
    const long growth = floodPeakGrowth("refused lines", memoryBoundsHold ? 300000 : 50000, make);
    if (memoryBoundsHold) {
        EXPECT_LT(growth, 4 * 1024);
    }
}

TEST_F(Soak, AFloodOfStatesWaitsInThePipeNotInMemory)
{
    // Every state becomes bus messages (titles, layouts, icons) that the process queues until the bus
    // takes them; a controller writing states faster than the bus carries them must fill its pipe, not
    // this process. The host is not paced here, so it lags far behind; only the process is measured.
    const long growth = floodPeakGrowth("states", std::min<std::size_t>(soakLines(), 20000), streamLine);
    if (memoryBoundsHold) {
        EXPECT_LT(growth, 2 * 1024);
    }
}

TEST_F(Soak, LongLinesCostInProportionToTheirLength)
{
    const std::size_t repeats = std::max<std::size_t>(soakLines() / 100, 50);
    for (const std::size_t kilobytes : {1, 16, 64}) {
        // A state whose tooltip pads the line, line feed excluded, to exactly `kilobytes` KiB.
        const std::string shortest = stateLine(0, false, "");
        const std::string line = stateLine(0, false, std::string(kilobytes * 1024 - (shortest.size() - 1), 'x'));
        ASSERT_EQ(line.size(), kilobytes * 1024 + 1);
        const auto make = [&line](std::size_t) {
            return std::pair<std::string, std::string>(line, R"({"event":"state-applied","status":"ready"})");
        };
        const Clock::time_point start = Clock::now();
        EXPECT_EQ(stream(repeats, make), 0u) << kilobytes << " KiB";
        const double microseconds =
            std::chrono::duration<double, std::micro>(Clock::now() - start).count() / static_cast<double>(repeats);
        std::printf("soak: %zu lines of %zu KiB: %.0f us per line, %.2f us per KiB\n", repeats, kilobytes, microseconds,
                    microseconds / static_cast<double>(kilobytes));
    }
    m_tray->closeStdin();
    EXPECT_EQ(m_tray->wait(patience), 0);
}

} // namespace
} // namespace corvane::test
