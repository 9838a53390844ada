// What an adversarial run tries in a desktop: a marker file removed or its folder made during the run,
// and the X server going away in every mode.
#include "TestDesktop.h"
#include "TrayProgram.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>

namespace corvane::test {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

constexpr const char* markerFailure = "Corvane could not update its UI visibility marker.\n";
constexpr const char* displayLost = "Corvane lost its display session.\n";
constexpr int displayLostStatus = 2;

std::string stateLine(const std::string& tooltip, const json& menu)
{
    return json{{"status", "ready"}, {"iconStatus", "ready"}, {"tooltip", tooltip}, {"menu", menu}}.dump() + "\n";
}

json row(const std::string& id, const std::string& text)
{
    return {{"id", id}, {"text", text}, {"enabled", true}, {"action", id}};
}

// An X server of the test's own, so that it can be ended under a running process.
class OwnDisplay final {
public:
    OwnDisplay()
        : m_server({"Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"},
                   {.input = Process::Stream::Null, .errors = Process::Stream::Null})
    {
        m_display = ":" + m_server.readLine(patience).value_or("");
    }

    const std::string& display() const { return m_display; }
    Process& server() { return m_server; }

private:
    Process m_server;
    std::string m_display;
};

class AdversarialDesktop : public ::testing::Test {
protected:
    Process::Options options() const
    {
        Process::Options options{.environment = m_desktop.environment()};
        options.environment.set("CORVANE_TRAY_INSTANCE_ID", identityOf('7'));
        options.environment.unset("CORVANE_UI_READY_MARKER");
        return options;
    }

    // Sends one state and reads its reply.
    static void apply(Process& tray, const std::string& state)
    {
        ASSERT_TRUE(tray.writeStdin(state));
        EXPECT_EQ(nextLine(tray), R"({"event":"state-applied","status":"ready"})");
    }

    // Runs xdotool on `display` to its end and answers what it printed.
    std::string xdotool(const std::string& display, const std::vector<std::string>& arguments) const
    {
        std::vector<std::string> argv = {"xdotool"};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        Process::Options toolOptions{.environment = m_desktop.environment(), .input = Process::Stream::Null};
        toolOptions.environment.set("DISPLAY", display);
        Process tool(argv, toolOptions);
        std::string output = tool.readAllStdout(patience);
        EXPECT_EQ(tool.wait(patience), 0) << argv[1];
        return output;
    }

    // Kills the X server under `process` and checks that the process ends with the one line and status.
    static void expectDisplayLossEnds(OwnDisplay& display, Process& process)
    {
        display.server().terminate();
        ASSERT_TRUE(display.server().wait(patience));
        EXPECT_EQ(process.wait(patience), displayLostStatus);
        EXPECT_FALSE(process.diedBySignal());
        EXPECT_EQ(process.readAllStdout(patience), "");
        EXPECT_EQ(process.readAllStderr(patience), displayLost);
    }

    TestDesktop m_desktop;
};

TEST_F(AdversarialDesktop, EveryAppliedStateWritesTheMarkerAgainWhileTheItemIsVisible)
{
    m_desktop.startHost(CORVANE_TEST_HOST_PATH);
    const fs::path folder = m_desktop.directory() / "made-later";
    const fs::path marker = folder / "marker";
    Process::Options trayOptions = options();
    trayOptions.environment.set("CORVANE_UI_READY_MARKER", marker.string());
    std::optional<Process> slot;
    Process& tray = startVisibleTray(slot, trayOptions);
    const std::string state = stateLine("Corvane", json::array({row("pause", "Pause")}));
    // The folder is missing: one failure line for "tray-visible" and one for this state.
    apply(tray, state);
    EXPECT_FALSE(fs::exists(folder));
    // Made during the run: the next state writes the marker there.
    fs::create_directory(folder);
    apply(tray, state);
    EXPECT_TRUE(fs::is_regular_file(marker));
    // Removed during the run: the next state writes it again.
    fs::remove(marker);
    apply(tray, state);
    EXPECT_TRUE(fs::is_regular_file(marker));
    EXPECT_EQ(fs::status(marker).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    tray.closeStdin();
    EXPECT_EQ(tray.wait(patience), 0);
    EXPECT_EQ(tray.readAllStderr(patience), std::string(markerFailure) + markerFailure);
}

TEST_F(AdversarialDesktop, LosingTheDisplayEndsEveryModeWithOneLineAndItsStatus)
{
    m_desktop.startHost(CORVANE_TEST_HOST_PATH);
    {
        SCOPED_TRACE("tray");
        OwnDisplay display;
        Process::Options trayOptions = options();
        trayOptions.environment.set("DISPLAY", display.display());
        std::optional<Process> slot;
        Process& tray = startVisibleTray(slot, trayOptions);
        expectDisplayLossEnds(display, tray);
    }
    {
        SCOPED_TRACE("form");
        OwnDisplay display;
        Process::Options formOptions = options();
        formOptions.environment.set("DISPLAY", display.display());
        Process form = startTray({"form", "--smoke"}, formOptions);
        ASSERT_EQ(nextLine(form), R"({"event":"ready"})");
        ASSERT_TRUE(form.writeStdin(R"({"type":"form","mode":"replace-key","projectRoot":""})"
                                    "\n"));
        ASSERT_EQ(nextLine(form), R"({"event":"form-presented","mode":"replace-key"})");
        ASSERT_EQ(nextLine(form), R"({"event":"form-visible"})");
        expectDisplayLossEnds(display, form);
    }
    {
        SCOPED_TRACE("folder chooser");
        OwnDisplay display;
        Process::Options chooserOptions = options();
        chooserOptions.environment.set("DISPLAY", display.display());
        Process chooser = startTray({"choose-folder"}, chooserOptions);
        EXPECT_NE(
            xdotool(display.display(), {"search", "--sync", "--onlyvisible", "--pid", std::to_string(chooser.pid())}),
            "");
        expectDisplayLossEnds(display, chooser);
    }
}

} // namespace
} // namespace corvane::test
