// The tray against desktops that misbehave or change while it runs: a watcher that owns its name and
// never answers costs no more than the wait bound, and termination requests are handled meanwhile; the
// item moves between an XEmbed tray and a watcher that comes and goes, keeping what it shows, and the
// controller sees nothing of it. The real binary in the test desktop, driven over its pipes.
#include "TestDesktop.h"
#include "TrayProgram.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace corvane::test {
namespace {

std::string stateLine(const std::string& text)
{
    return R"({"status":"ready","iconStatus":"busy","tooltip":"Corvane","menu":[)"
           R"({"id":"a","text":")" +
           text + R"(","enabled":true,"action":"pause"},{"id":"q","text":"Quit","enabled":true,"action":"quit"}]})" +
           "\n";
}

std::vector<std::string> labels(const nlohmann::json& menu)
{
    std::vector<std::string> result;
    for (const nlohmann::json& row : menu) {
        result.push_back(row.at("label").get<std::string>());
    }
    return result;
}

class TrayHost : public ::testing::Test {
protected:
    // Whether our XEmbed icon window exists; with `sync`, waits until it does.
    bool xembedIconShown(bool sync) const
    {
        std::vector<std::string> command = {"xdotool", "search"};
        if (sync) {
            command.emplace_back("--sync");
        }
        command.insert(command.end(), {"--classname", "corvane-tray"});
        Process search(command, Process::Options{m_desktop.environment()});
        return search.wait(patience) == 0;
    }

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

TEST_F(TrayHost, TheItemMovesBetweenAnXEmbedTrayAndAWatcherWithWhatItShowsAndNoEvent)
{
    const Process::Options desktop{.environment = m_desktop.environment()};
    Process trayer({"trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height", "28"},
                   desktop);
    Process search({"xdotool", "search", "--sync", "--class", "trayer"}, desktop);
    ASSERT_EQ(search.wait(patience), 0);
    std::optional<Process> slot;
    Process& tray = startVisibleTray(slot, options("5000"));
    ASSERT_TRUE(tray.writeStdin(stateLine("Pause")));
    ASSERT_EQ(nextLine(tray), R"({"event":"state-applied","status":"ready"})");

    // A watcher comes: the item leaves the XEmbed tray for it, rows and all, and clicks still report.
    TestHost& host = m_desktop.startHost(CORVANE_TEST_HOST_PATH);
    ASSERT_TRUE(host.awaitEvent("item-registered", patience));
    const nlohmann::json menu = host.dump().at("menu");
    EXPECT_EQ(labels(menu), (std::vector<std::string>{"Pause", "Quit"}));
    EXPECT_FALSE(xembedIconShown(false));
    host.command("click " + std::to_string(menu.at(1).at("id").get<int>()));
    EXPECT_EQ(nextLine(tray), R"({"action":"quit","event":"menu"})");

    // It goes: back into the XEmbed tray. A state applied there reaches the next watcher.
    host.process().kill();
    ASSERT_TRUE(host.process().wait(patience));
    EXPECT_TRUE(xembedIconShown(true));
    ASSERT_TRUE(tray.writeStdin(stateLine("Resume")));
    ASSERT_EQ(nextLine(tray), R"({"event":"state-applied","status":"ready"})");
    TestHost& again = m_desktop.startHost(CORVANE_TEST_HOST_PATH);
    ASSERT_TRUE(again.awaitEvent("item-registered", patience));
    EXPECT_EQ(labels(again.dump().at("menu")), (std::vector<std::string>{"Resume", "Quit"}));

    tray.closeStdin();
    EXPECT_EQ(tray.wait(patience), 0);
    EXPECT_EQ(tray.readAllStdout(patience), "");
    EXPECT_EQ(tray.readAllStderr(patience), "");
}

} // namespace
} // namespace corvane::test
