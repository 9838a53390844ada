// The tray against desktops that misbehave or change while it runs: a watcher that owns its name and
// never answers costs no more than the wait bound, and termination requests are handled meanwhile.
// The real binary in the test desktop, driven over its pipes.
#include "TestDesktop.h"
#include "TrayProgram.h"

#include <gtest/gtest.h>

#include <chrono>

namespace corvane::test {
namespace {

class TrayHost : public ::testing::Test {
protected:
    Process::Options options(const std::string& waitMs) const
    {
        Environment environment = desktopTrayEnvironment(m_desktop, identityOf('7'));
        environment.set("CORVANE_UI_WAIT_MS", waitMs);
        return {.environment = environment};
    }

    TestDesktop m_desktop;
};

TEST_F(TrayHost, AWatcherThatNeverAnswersCostsOnlyTheWaitBoundAndTerminationIsHandledMeanwhile)
{
    using namespace std::chrono;
    constexpr milliseconds bound{2000};
    // Process start and the orderly stop on a loaded machine; a blocking call would cost 25 s.
    constexpr milliseconds margin{1500};
    Process silent({CORVANE_SILENT_WATCHER_PATH}, Process::Options{m_desktop.environment()});
    ASSERT_EQ(silent.readLine(patience).value_or("<nothing>"), "ready");
    Process tray = startTray({}, options(std::to_string(bound.count())));
    // The first call reaching the watcher shows the process waiting for it, in its event loop.
    const std::optional<std::string> call = silent.readLine(patience);
    const auto asked = steady_clock::now();
    ASSERT_TRUE(call && call->starts_with("called ")) << call.value_or("<nothing>");
    tray.terminate();
    EXPECT_EQ(nextLine(tray), R"({"event":"ready"})");
    EXPECT_EQ(nextLine(tray), R"({"action":"exit","event":"menu"})");
    EXPECT_EQ(nextLine(tray), R"({"event":"protocol-error","reason":"tray-not-visible"})");
    EXPECT_EQ(tray.wait(patience), 0);
    EXPECT_LT(duration_cast<milliseconds>(steady_clock::now() - asked), bound + margin);
    EXPECT_EQ(tray.readAllStderr(patience), "");
}

} // namespace
} // namespace corvane::test
