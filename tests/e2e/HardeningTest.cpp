// Hardening of the real binary against a hostile or failing environment: signals while lines stream, an
// unwritable temporary directory, a marker path that is missing, read-only or a symbolic link, the tray
// host and the session bus going away, controller strings that look like commands or paths, and the
// Access Key kept off standard error.
#include "TestDesktop.h"
#include "TrayProgram.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <regex>

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* markerFailure = "Corvane could not update its UI visibility marker.\n";
constexpr const char* lockFailure = "Corvane could not acquire its UI instance lock.\n";
constexpr std::array<const char*, 5> statuses = {"ready", "partial", "suspended", "busy", "stopped"};

std::string stateLine(const std::string& status, const std::string& text = "Pause")
{
    return R"({"status":")" + status + R"(","iconStatus":"busy","tooltip":"Corvane","menu":[)" +
           R"({"id":"a","text":")" + text + R"(","enabled":true,"action":"pause"},)" +
           R"({"id":"q","text":"Quit","enabled":true,"action":"quit"}]})" + "\n";
}

std::string appliedLine(const std::string& status)
{
    return R"({"event":"state-applied","status":")" + status + R"("})";
}

constexpr const char* exitLine = R"({"action":"exit","event":"menu"})";

std::string readFile(const fs::path& path)
{
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

// Occurrences of `needle` in `text`.
std::size_t count(const std::string& text, const std::string& needle)
{
    std::size_t found = 0;
    for (std::size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + needle.size())) {
        ++found;
    }
    return found;
}

class Hardening : public ::testing::Test {
protected:
    Process::Options trayOptions(const std::optional<fs::path>& marker = std::nullopt) const
    {
        Environment environment = desktopTrayEnvironment(m_desktop, identityOf('e'));
        if (marker) {
            environment.set("CORVANE_UI_READY_MARKER", marker->string());
        }
        return {.environment = environment};
    }

    // Sends a state and reads its reply.
    static void expectApplied(Process& tray, const std::string& status)
    {
        ASSERT_TRUE(tray.writeStdin(stateLine(status)));
        EXPECT_EQ(nextLine(tray), appliedLine(status));
    }

    static void expectCleanEnd(Process& tray)
    {
        tray.closeStdin();
        EXPECT_EQ(tray.wait(patience), 0);
        EXPECT_FALSE(tray.diedBySignal());
    }

    TestDesktop m_desktop;
};

TEST_F(Hardening, SignalsWhileLinesStreamEachBecomeOneExitRequestAndNoReplyIsLostOrDoubled)
{
    constexpr int lines = 3000;
    constexpr int signals = 150;
    m_desktop.startHost(CORVANE_TEST_HOST_PATH);
    std::optional<Process> slot;
    Process& tray = startVisibleTray(slot, trayOptions());
    std::string input;
    for (int index = 0; index < lines; ++index) {
        input += stateLine(statuses[index % statuses.size()], "Row " + std::to_string(index));
    }
    // The lines go out a batch between two replies read, so they stream while the signals come.
    std::string_view unwritten = input;
    // One signal at a time: a second SIGTERM sent before the first was handled may merge with it in the
    // kernel, which would say nothing about the process.
    int sent = 0;
    int exits = 0;
    int applied = 0;
    bool inOrder = true;
    while (applied < lines || exits < signals) {
        if (sent == exits && sent < signals) {
            ASSERT_EQ(::kill(tray.pid(), SIGTERM), 0);
            ++sent;
        }
        if (!unwritten.empty()) {
            ASSERT_TRUE(tray.writeStdin(unwritten.substr(0, 16384)));
            unwritten.remove_prefix(std::min<std::size_t>(unwritten.size(), 16384));
        }
        const std::optional<std::string> line = tray.readLine(patience);
        ASSERT_TRUE(line) << "no reply after " << applied << " states and " << exits << " exits";
        if (*line == exitLine) {
            ++exits;
            ASSERT_LE(exits, sent) << "more exit requests than signals";
        } else {
            inOrder = inOrder && *line == appliedLine(statuses[applied % statuses.size()]);
            ++applied;
            ASSERT_LE(applied, lines) << *line;
        }
    }
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(sent, signals);
    expectCleanEnd(tray);
    EXPECT_EQ(tray.readAllStdout(patience), "") << "nothing may follow the last reply";
    EXPECT_EQ(tray.readAllStderr(patience), "");
}

TEST_F(Hardening, MarkerDirectoryMissingOrReadOnlyCostsOneLinePerCallAndTheRunGoesOn)
{
    m_desktop.startHost(CORVANE_TEST_HOST_PATH);
    const fs::path missing = m_desktop.directory() / "missing" / "marker";
    // /proc refuses new files even to root, where a read-only bind or a mode would not.
    const fs::path readOnly = "/proc/corvane-ready-marker";
    for (const fs::path& marker : {missing, readOnly, missing}) {
        std::optional<Process> slot;
        Process& tray = startVisibleTray(slot, trayOptions(marker));
        expectApplied(tray, "ready");
        tray.terminate();
        EXPECT_EQ(nextLine(tray), exitLine);
        expectCleanEnd(tray);
        // One for "tray-visible", one for the applied state.
        EXPECT_EQ(tray.readAllStderr(patience), std::string(markerFailure) + markerFailure) << marker;
    }
    EXPECT_FALSE(fs::exists(missing.parent_path()));
    EXPECT_FALSE(fs::exists(readOnly));
}

TEST_F(Hardening, SymlinkAtTheMarkerPathIsLeftAloneAndNotFollowed)
{
    m_desktop.startHost(CORVANE_TEST_HOST_PATH);
    const fs::path dangling = m_desktop.directory() / "dangling-marker";
    const fs::path absentTarget = m_desktop.directory() / "never-created";
    fs::create_symlink(absentTarget, dangling);
    const fs::path existing = m_desktop.directory() / "linked-marker";
    const fs::path existingTarget = m_desktop.directory() / "precious";
    std::ofstream(existingTarget) << "keep me\n";
    fs::create_symlink(existingTarget, existing);
    for (const fs::path& marker : {dangling, existing}) {
        std::optional<Process> slot;
        Process& tray = startVisibleTray(slot, trayOptions(marker));
        expectApplied(tray, "busy");
        expectCleanEnd(tray);
        EXPECT_EQ(tray.readAllStderr(patience), "") << marker;
        EXPECT_TRUE(fs::is_symlink(marker));
    }
    EXPECT_EQ(fs::read_symlink(dangling), absentTarget);
    EXPECT_FALSE(fs::exists(absentTarget));
    EXPECT_EQ(fs::read_symlink(existing), existingTarget);
    EXPECT_EQ(readFile(existingTarget), "keep me\n");
    // No temporary file of the marker writer was left behind either.
    for (const fs::directory_entry& entry : fs::directory_iterator(m_desktop.directory())) {
        EXPECT_FALSE(entry.path().filename().string().starts_with(".corvane-marker")) << entry.path();
    }
}

TEST_F(Hardening, TrayHostThatDisappearsAndComesBackGetsTheItemAgain)
{
    m_desktop.startHost(CORVANE_TEST_HOST_PATH);
    std::optional<Process> slot;
    Process& tray = startVisibleTray(slot, trayOptions());
    expectApplied(tray, "ready");
    m_desktop.host().process().kill();
    ASSERT_TRUE(m_desktop.host().process().wait(patience));
    // Without any host the process keeps serving the controller.
    expectApplied(tray, "partial");
    tray.terminate();
    EXPECT_EQ(nextLine(tray), exitLine);
    // A new watcher and host on the same bus: Qt registers the item with it again, menu and all.
    TestHost& host = m_desktop.startHost(CORVANE_TEST_HOST_PATH);
    ASSERT_TRUE(host.awaitEvent("item-registered", patience));
    const nlohmann::json item = host.dump();
    EXPECT_EQ(item.at("menu").size(), 2u);
    EXPECT_EQ(item.at("menu").at(0).at("label"), "Pause");
    ASSERT_TRUE(tray.writeStdin(stateLine("stopped", "Resume")));
    EXPECT_EQ(nextLine(tray), appliedLine("stopped"));
    ASSERT_TRUE(host.awaitEvent("items-properties-updated", patience));
    EXPECT_EQ(host.dump().at("menu").at(0).at("label"), "Resume");
    host.command("click " + std::to_string(host.dump().at("menu").at(1).at("id").get<int>()));
    EXPECT_EQ(nextLine(tray), R"({"action":"quit","event":"menu"})");
    expectCleanEnd(tray);
    EXPECT_EQ(tray.readAllStderr(patience), "");
}

TEST_F(Hardening, SessionBusThatGoesAwayDoesNotStopTheProcess)
{
    // The bus of a second desktop, so that it can be ended while the tray runs on this one's display.
    std::optional<TestDesktop> other(std::in_place);
    Process::Options options = trayOptions();
    options.environment.set("DBUS_SESSION_BUS_ADDRESS", other->environment().get("DBUS_SESSION_BUS_ADDRESS").value());
    std::optional<TestHost> host(std::in_place, CORVANE_TEST_HOST_PATH, options.environment);
    std::optional<Process> slot;
    Process& tray = startVisibleTray(slot, options);
    expectApplied(tray, "ready");
    const pid_t hostPid = host->process().pid();
    other.reset();
    // The host loses the bus too; whatever it does, it is ended by its PID.
    host->process().kill();
    ASSERT_TRUE(host->process().wait(patience)) << hostPid;
    host.reset();
    for (const char* status : {"busy", "stopped", "ready"}) {
        expectApplied(tray, status);
    }
    ASSERT_TRUE(tray.writeStdin("not json\n"));
    EXPECT_EQ(nextLine(tray), R"({"event":"protocol-error"})");
    tray.terminate();
    EXPECT_EQ(nextLine(tray), exitLine);
    expectCleanEnd(tray);
    EXPECT_EQ(tray.readAllStdout(patience), "");
    EXPECT_EQ(tray.readAllStderr(patience), "");
}

TEST_F(Hardening, ControllerStringsAreNeitherExecutedNorUsedAsPaths)
{
    m_desktop.startHost(CORVANE_TEST_HOST_PATH);
    const fs::path victim = m_desktop.directory() / "created-by-controller-text";
    const std::string command =
        "$(touch " + victim.string() + ")`touch " + victim.string() + "`;touch " + victim.string();
    const std::string jsonCommand = nlohmann::json(command).dump();
    std::optional<Process> slot;
    Process& tray = startVisibleTray(slot, trayOptions());
    const std::string state = R"({"status":"ready","iconStatus":"ready","tooltip":)" + jsonCommand +
                              R"(,"menu":[{"id":)" + nlohmann::json("../../" + victim.filename().string()).dump() +
                              R"(,"text":)" + jsonCommand + R"(,"enabled":true,"action":)" + jsonCommand + "}]}\n";
    ASSERT_TRUE(tray.writeStdin(state));
    EXPECT_EQ(nextLine(tray), appliedLine("ready"));
    ASSERT_TRUE(tray.writeStdin(R"({"exerciseMenu":"../../)" + victim.filename().string() + "\"}\n"));
    // The action comes back as data, "/" escaped as the event dialect writes it.
    std::string escaped = command;
    for (std::size_t at = escaped.find('/'); at != std::string::npos; at = escaped.find('/', at + 2)) {
        escaped.insert(at, "\\");
    }
    EXPECT_EQ(nextLine(tray), R"({"action":")" + escaped + R"(","event":"menu"})");
    expectCleanEnd(tray);

    // A form's project root is shown and reported, never opened or created.
    const fs::path root = m_desktop.directory() / "project-root-never-created";
    Process::Options formOptions = trayOptions();
    Process form = startTray({"form", "--smoke"}, formOptions);
    ASSERT_EQ(nextLine(form), R"({"event":"ready"})");
    ASSERT_TRUE(
        form.writeStdin(R"({"type":"form","mode":"setup","projectRoot":)" + nlohmann::json(root).dump() + "}\n"));
    EXPECT_EQ(nextLine(form), R"({"event":"form-presented","mode":"setup"})");
    expectCleanEnd(form);
    EXPECT_FALSE(fs::exists(victim));
    EXPECT_FALSE(fs::exists(root));
}

class OffscreenHardening : public ::testing::Test {
protected:
    Process::Options offscreen() const
    {
        return {.environment = offscreenEnvironment(identityOf('e'), pathOf(m_scratch))};
    }

    QTemporaryDir m_scratch;
};

TEST_F(OffscreenHardening, UnwritableTemporaryDirectoryIsALockFailure)
{
    for (const char* directory : {"/proc", "/proc/self/fdinfo"}) {
        for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{{}, {"form"}}) {
            Process::Options options = offscreen();
            options.input = Process::Stream::Null;
            options.environment.set("TMPDIR", directory);
            Process tray = startTray(arguments, options);
            EXPECT_EQ(tray.readAllStdout(patience), "") << directory;
            EXPECT_EQ(tray.readAllStderr(patience), lockFailure) << directory;
            EXPECT_EQ(tray.wait(patience), 1);
        }
    }
}

TEST_F(OffscreenHardening, AccessKeyNeverReachesStandardError)
{
    const std::string key = "ck-7Q2xZ9pLmN4vB8tR1wYe";
    // After the submission: a success; or an error and a cancel. Each with the last reply it must bring.
    struct Run {
        std::vector<std::string> lines;
        std::string lastReply;
    };
    const std::vector<Run> runs = {
        {{R"({"type":"form-result","phase":"busy","message":"Checking"})",
          R"({"type":"form-result","phase":"success","message":"Saved"})"},
         R"({"event":"form-updated","inputEnabled":false,"phase":"success"})"},
        {{R"({"type":"form-result","phase":"error","message":"Wrong key"})",
          R"({"type":"exercise-form","action":"cancel"})"},
         R"({"event":"cancel"})"},
    };
    // With Qt's own messages let through, and without.
    for (const char* qtMessages : {"1", "0"}) {
        for (const Run& run : runs) {
            Process::Options options = offscreen();
            options.environment.set("CORVANE_QT_MESSAGES", qtMessages);
            Process form = startTray({"form", "--smoke"}, options);
            std::string input = R"({"type":"form","mode":"setup","projectRoot":"/srv/project"})"
                                "\n"
                                R"({"type":"exercise-form","accessKey":")" +
                                key + "\"}\n";
            for (const std::string& line : run.lines) {
                input += line + "\n";
            }
            ASSERT_TRUE(form.writeStdin(input));
            std::string output;
            for (std::string line; line != run.lastReply && line != "<nothing>";) {
                line = nextLine(form);
                output += line + "\n";
            }
            form.closeStdin();
            EXPECT_EQ(form.wait(patience), 0);
            output += form.readAllStdout(patience);
            const std::string errors = form.readAllStderr(patience);
            // The key did travel: to the controller, once, in the submit event.
            EXPECT_EQ(count(output, key), 1u) << output;
            EXPECT_NE(output.find(R"("event":"submit")"), std::string::npos) << output;
            for (std::size_t at = 0; at + 6 <= key.size(); ++at) {
                EXPECT_EQ(errors.find(key.substr(at, 6)), std::string::npos) << errors;
            }
        }
    }
}

TEST_F(OffscreenHardening, AFormRunNeverWritesACoreDump)
{
    // The key field's text is Qt's and is not wiped, so a form run must not be dumpable at all.
    Process form = startTray({"form", "--smoke"}, offscreen());
    ASSERT_EQ(nextLine(form), R"({"event":"ready"})");
    std::ifstream limits("/proc/" + std::to_string(form.pid()) + "/limits");
    std::string coreLimit;
    for (std::string line; std::getline(limits, line);) {
        if (line.starts_with("Max core file size")) {
            coreLimit = line;
        }
    }
    EXPECT_TRUE(std::regex_search(coreLimit, std::regex(R"(size\s+0\s+0\s)"))) << coreLimit;
    form.closeStdin();
    EXPECT_EQ(form.wait(patience), 0);
}

} // namespace
} // namespace corvane::test
