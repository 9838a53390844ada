// What an adversarial run tries in a desktop: a marker file removed or its folder made during the run,
// NUL characters in the texts the tray shows, the X server going away in every mode, and a process
// whose memory is read for the Access Key once it has been sent.
#include "TestDesktop.h"
#include "TrayProgram.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

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

std::size_t count(const std::string& text, const std::string& needle)
{
    std::size_t found = 0;
    for (std::size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + needle.size())) {
        ++found;
    }
    return found;
}

// An X server of the test's own, so that it can be ended under a running process. It never resets when
// its last client leaves, which would refuse the next one for a moment.
class OwnDisplay final {
public:
    OwnDisplay()
        : m_server({"Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"},
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

TEST_F(AdversarialDesktop, NulInTheTrayTextsIsShownAsAVisibleSymbolNotACut)
{
    m_desktop.startHost(CORVANE_TEST_HOST_PATH);
    std::optional<Process> slot;
    Process& tray = startVisibleTray(slot, options());
    const std::string nul("\0", 1);
    json shown = row("row", "a" + nul + "b");
    shown["action"] = "act" + nul + "ion";
    json parent = row("more", "p" + nul + "q");
    parent.erase("action");
    parent["children"] = json::array({row("child", nul + "c")});
    apply(tray, stateLine("tool" + nul + "tip", json::array({shown, parent})));
    const json item = m_desktop.host().dump();
    EXPECT_EQ(item.at("tooltip").at("title"), "tool\u2400tip");
    EXPECT_EQ(item.at("menu").at(0).at("label"), "a\u2400b");
    EXPECT_EQ(item.at("menu").at(1).at("label"), "p\u2400q");
    EXPECT_EQ(item.at("menu").at(1).at("children").at(0).at("label"), "\u2400c");
    // An action is data, not display: it comes back with its NUL.
    ASSERT_TRUE(tray.writeStdin(R"({"exerciseMenu":"row"})"
                                "\n"));
    EXPECT_EQ(nextLine(tray), R"({"action":"act\u0000ion","event":"menu"})");
    tray.closeStdin();
    EXPECT_EQ(tray.wait(patience), 0);
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

// Reads the process's writable private memory (the heap, and anonymous mappings such as other threads'
// heaps and stacks) through /proc; a form run is not dumpable, so this needs CAP_SYS_PTRACE (root).
std::string privateMemory(pid_t pid)
{
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    std::ifstream memory("/proc/" + std::to_string(pid) + "/mem", std::ios::binary);
    EXPECT_TRUE(maps && memory) << "cannot read the memory of " << pid;
    std::string contents;
    for (std::string line; std::getline(maps, line);) {
        std::istringstream fields(line);
        std::string range;
        std::string permissions;
        std::string offset;
        std::string device;
        std::string inode;
        std::string name;
        fields >> range >> permissions >> offset >> device >> inode >> name;
        const std::size_t dash = range.find('-');
        const std::uint64_t start = std::stoull(range.substr(0, dash), nullptr, 16);
        const std::uint64_t end = std::stoull(range.substr(dash + 1), nullptr, 16);
        // Reservations of a gigabyte and more are no heap (AddressSanitizer's shadow memory is one).
        if (!permissions.starts_with("rw") || (!name.empty() && name != "[heap]") || end - start >= (1u << 30)) {
            continue;
        }
        std::string block(end - start, '\0');
        memory.clear();
        memory.seekg(static_cast<std::streamoff>(start));
        memory.read(block.data(), static_cast<std::streamsize>(block.size()));
        contents.append(block, 0, static_cast<std::size_t>(memory.gcount()));
    }
    return contents;
}

std::string utf16(const std::string& ascii)
{
    std::string wide;
    for (const char letter : ascii) {
        wide += letter;
        wide += '\0';
    }
    return wide;
}

TEST_F(AdversarialDesktop, AfterASubmitTheAccessKeyIsNowhereInTheProcessMemoryOnceTheFieldIsCleared)
{
    std::random_device random;
    std::string key = "ck-";
    while (key.size() < 40) {
        key += "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"[random() % 62];
    }
    // The allocator overwrites the first bytes of a freed block: look for the key's last 24 characters.
    const std::string tail = key.substr(16);
    Process form = startTray({"form", "--smoke"}, options());
    ASSERT_EQ(nextLine(form), R"({"event":"ready"})");
    ASSERT_TRUE(form.writeStdin(R"({"type":"form","mode":"replace-key","projectRoot":""})"
                                "\n"));
    ASSERT_EQ(nextLine(form), R"({"event":"form-presented","mode":"replace-key"})");
    ASSERT_EQ(nextLine(form), R"({"event":"form-visible"})");
    const std::string display = *m_desktop.environment().get("DISPLAY");
    std::istringstream found(xdotool(display, {"search", "--sync", "--onlyvisible", "--name", "^Corvane$"}));
    std::string window;
    std::getline(found, window);
    xdotool(display, {"windowfocus", "--sync", window});
    // Typed after white space that the submit trims away; no input line ever carries it. (Nothing is
    // typed after it: the field's text could then grow into a new block and leave the whole key in the
    // old one, which is Qt's to free.)
    xdotool(display, {"type", "--window", window, "  " + key});
    xdotool(display, {"key", "Return"});
    ASSERT_EQ(nextLine(form), R"({"accessKey":")" + key + R"(","event":"submit"})");
    // While the form is busy the field holds the key, once, in UTF-16; no other copy is left.
    const std::string busy = privateMemory(form.pid());
    EXPECT_EQ(count(busy, utf16(tail)), 1u) << "UTF-16";
    EXPECT_EQ(count(busy, tail), 0u) << "UTF-8";
    // Success clears the field: now there is no copy at all.
    ASSERT_TRUE(form.writeStdin(R"({"type":"form-result","phase":"success","message":"Saved"})"
                                "\n"));
    ASSERT_EQ(nextLine(form), R"({"event":"form-updated","inputEnabled":false,"phase":"success"})");
    const std::string memory = privateMemory(form.pid());
    EXPECT_GT(memory.size(), 1000000u);
    EXPECT_EQ(count(memory, tail), 0u) << "UTF-8";
    EXPECT_EQ(count(memory, utf16(tail)), 0u) << "UTF-16";
    form.closeStdin();
    EXPECT_EQ(form.wait(patience), 0);
}

} // namespace
} // namespace corvane::test
