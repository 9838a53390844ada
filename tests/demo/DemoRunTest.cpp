// corvane-demo end to end: an unattended run in a test desktop plays the whole scenario and every line
// it exchanges satisfies the protocol's schemas; an interactive run follows real clicks from the tray
// host; failures (no tray host, a missing event, a child that will not end, bad arguments) end the demo
// with a non-zero status and leave no process behind.
#include "DemoTranscript.h"
#include "SchemaCheck.h"
#include "TestDesktop.h"
#include "TrayProgram.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>

namespace corvane::test {
namespace {

using nlohmann::json;
namespace fs = std::filesystem;

constexpr std::chrono::milliseconds demoPatience = 60s;

struct DemoOutcome {
    std::optional<int> status;
    std::vector<TranscriptLine> transcript;
    std::string errors;
};

// Checks that none of the demo's children outlived it; any that did is killed by its PID.
void expectNoneLeft(const std::vector<TranscriptLine>& transcript)
{
    for (const int pid : startedPids(transcript)) {
        if (::kill(pid, 0) == 0) {
            ADD_FAILURE() << "pid " << pid << " outlived the demo";
            ::kill(pid, SIGKILL);
        } else {
            EXPECT_EQ(errno, ESRCH) << pid;
        }
    }
}

DemoOutcome runDemo(const std::vector<std::string>& arguments, Environment environment)
{
    std::vector<std::string> argv = {CORVANE_DEMO_PATH};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    Process::Options options{.environment = std::move(environment)};
    options.input = Process::Stream::Null;
    Process demo(argv, options);
    DemoOutcome outcome;
    const std::string output = demo.readAllStdout(demoPatience);
    outcome.errors = demo.readAllStderr(demoPatience);
    outcome.status = demo.wait(demoPatience);
    outcome.transcript = parseTranscript(output);
    expectNoneLeft(outcome.transcript);
    return outcome;
}

std::vector<std::string> linesOf(const std::vector<TranscriptLine>& transcript, std::string_view who, char kind)
{
    std::vector<std::string> lines;
    for (const TranscriptLine& line : transcript) {
        if (line.who == who && line.kind == kind) {
            lines.push_back(line.text);
        }
    }
    return lines;
}

bool noted(const std::vector<TranscriptLine>& transcript, std::string_view text)
{
    return std::any_of(transcript.begin(), transcript.end(), [text](const TranscriptLine& line) {
        return line.who == "demo" && line.text.find(text) != std::string::npos;
    });
}

class DemoRun : public ::testing::Test {
protected:
    Environment desktopEnvironment() const
    {
        Environment environment = m_desktop.environment();
        environment.unset("CORVANE_UI_WAIT_MS");
        return environment;
    }

    TestDesktop m_desktop;
};

TEST_F(DemoRun, UnattendedRunPlaysTheWholeScenarioInSchemaValidLines)
{
    m_desktop.startHost(CORVANE_TEST_HOST_PATH);
    const DemoOutcome outcome = runDemo({"--unattended"}, desktopEnvironment());
    const std::vector<TranscriptLine>& transcript = outcome.transcript;
    ASSERT_EQ(outcome.status, 0) << outcome.errors;
    EXPECT_EQ(outcome.errors, "");
    EXPECT_EQ(eventsOf(transcript, "check"), (std::vector<std::string>{"self-test", "exit 0"}));
    EXPECT_EQ(eventsOf(transcript, "tray"),
              (std::vector<std::string>{"ready", "tray-visible", "state-applied", "state-applied", "menu",
                                        "state-applied", "menu", "state-applied", "protocol-error", "menu", "menu",
                                        "state-applied", "menu", "menu", "exit 0"}));
    EXPECT_EQ(eventsOf(transcript, "form"),
              (std::vector<std::string>{"ready", "form-presented", "form-visible", "submit", "form-updated",
                                        "form-updated", "submit", "form-updated", "form-updated", "cancel", "exit 0"}));
    EXPECT_EQ(eventsOf(transcript, "folder"), (std::vector<std::string>{"folder-result", "exit 0"}));
    EXPECT_EQ(linesOf(transcript, "tray", '>').at(4), R"({"action":"pause","event":"menu"})");
    EXPECT_EQ(linesOf(transcript, "tray", '>').at(6), R"({"action":"resume","event":"menu"})");
    EXPECT_EQ(linesOf(transcript, "tray", '>').at(13), R"({"action":"quit","event":"menu"})");
    EXPECT_EQ(linesOf(transcript, "folder", '>').front(),
              R"({"canCreateDirectories":true,"event":"folder-result","projectRoot":null,"visible":true})");
    EXPECT_TRUE(noted(transcript, "unattended scenario complete"));
    EXPECT_EQ(transcript.back().text, "done: every child ended with status 0");

    std::vector<std::string> exchanged;
    for (const TranscriptLine& line : transcript) {
        EXPECT_NE(line.kind, '!') << line.who << ": " << line.text;
        if (line.kind == '>' || line.kind == '<') {
            exchanged.push_back(line.text);
        }
    }
    EXPECT_EQ(schemaFaults(exchanged), "");

    // The form is set up for the folder the demo runs in, and the submitted key carries it.
    const std::string root = fs::current_path().string();
    const json formMessage = json::parse(linesOf(transcript, "form", '<').front());
    EXPECT_EQ(formMessage, (json{{"type", "form"}, {"mode", "setup"}, {"projectRoot", root}}));
    const json submitted = json::parse(linesOf(transcript, "form", '>').at(3));
    EXPECT_EQ(submitted, (json{{"event", "submit"}, {"accessKey", "wrong-key"}, {"projectRoot", root}}));
    // The last tray state reports the key as set.
    const std::vector<std::string> sent = linesOf(transcript, "tray", '<');
    const auto lastState = std::find_if(sent.rbegin(), sent.rend(),
                                        [](const std::string& line) { return json::parse(line).contains("status"); });
    ASSERT_NE(lastState, sent.rend());
    EXPECT_NE(json::parse(*lastState).at("tooltip").get<std::string>().find("Access Key：已设置"), std::string::npos);
    // The host saw the item go when the tray ended.
    EXPECT_TRUE(m_desktop.host().awaitEvent("item-unregistered"));
}

TEST_F(DemoRun, InteractiveRunFollowsClicksFromTheTrayHost)
{
    m_desktop.startHost(CORVANE_TEST_HOST_PATH);
    std::vector<std::string> argv = {CORVANE_DEMO_PATH};
    Process::Options options{.environment = desktopEnvironment()};
    options.input = Process::Stream::Null;
    Process demo(argv, options);
    std::vector<TranscriptLine> transcript;
    // Reads the demo's transcript up to and including the line `text` from `who`.
    const auto readUntil = [&](std::string_view who, char kind, std::string_view text) {
        while (std::optional<std::string> line = demo.readLine(patience)) {
            transcript.push_back(parseTranscriptLine(*line).value());
            if (transcript.back().who == who && transcript.back().kind == kind && transcript.back().text == text) {
                return true;
            }
        }
        return false;
    };
    ASSERT_TRUE(readUntil("demo", '#', "connected"));
    // The dbusmenu id of the row labelled `label`, once the host shows it enabled. Every state the demo
    // sends has a new tooltip, which the tray sets after the menu rows, so each "new-tooltip" means one
    // more state has fully arrived.
    const auto enabledRow = [&](const std::string& label) {
        for (;;) {
            // Kept whole: a range-for over a member of a temporary would outlive the temporary.
            const json item = m_desktop.host().dump();
            for (const json& node : item.at("menu")) {
                if (node.at("label") == label && node.at("enabled") == true) {
                    return node.at("id").get<int>();
                }
            }
            if (!m_desktop.host().awaitEvent("new-tooltip", patience)) {
                ADD_FAILURE() << "no enabled row " << label;
                return -1;
            }
        }
    };
    m_desktop.host().command("click " + std::to_string(enabledRow("暂停")));
    ASSERT_TRUE(readUntil("tray", '>', R"({"action":"pause","event":"menu"})"));
    m_desktop.host().command("click " + std::to_string(enabledRow("继续")));
    ASSERT_TRUE(readUntil("tray", '>', R"({"action":"resume","event":"menu"})"));
    m_desktop.host().command("click " + std::to_string(enabledRow("退出")));
    ASSERT_TRUE(readUntil("tray", '=', "exit 0"));
    EXPECT_EQ(demo.wait(patience), 0);
    // Without --smoke nothing reports applied states.
    EXPECT_EQ(std::count(transcript.begin(), transcript.end(),
                         TranscriptLine{"tray", '>', R"({"event":"state-applied","status":"ready"})"}),
              0);
    expectNoneLeft(transcript);
}

TEST_F(DemoRun, WithoutATrayHostTheRunFailsAfterTheTrayReportsItIsNotVisible)
{
    Environment environment = desktopEnvironment();
    environment.set("CORVANE_UI_WAIT_MS", "300");
    const DemoOutcome outcome = runDemo({"--unattended"}, environment);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(eventsOf(outcome.transcript, "tray"), (std::vector<std::string>{"ready", "protocol-error", "exit 0"}));
    EXPECT_EQ(linesOf(outcome.transcript, "tray", '>').back(),
              R"({"event":"protocol-error","reason":"tray-not-visible"})");
    EXPECT_TRUE(noted(outcome.transcript, "FAILED: no tray host showed the item in time"));
    EXPECT_EQ(outcome.transcript.back().text, "done, with failures");
}

class DemoFailure : public ::testing::Test {
protected:
    // A stand-in for corvane-tray: passes the self-test, reports ready, then runs `rest`.
    std::string fakeTray(const std::string& rest)
    {
        const fs::path program = pathOf(m_scratch) / "fake-tray";
        std::ofstream(program) << "#!/bin/sh\n"
                                  "case \"$*\" in *--self-test*) echo '{\"event\":\"self-test\",\"passed\":true}'; "
                                  "exit 0;; esac\n"
                                  "echo '{\"event\":\"ready\"}'\n"
                               << rest << "\n";
        fs::permissions(program, fs::perms::owner_all);
        return program.string();
    }

    QTemporaryDir m_scratch;
};

TEST_F(DemoFailure, AnEventThatDoesNotComeInTimeFailsTheRunAndEndsEveryChild)
{
    const DemoOutcome outcome = runDemo(
        {"--unattended", "--timeout-ms", "400", "--tray", fakeTray("exec cat >/dev/null")}, Environment::inherited());
    EXPECT_EQ(outcome.status, 1);
    EXPECT_TRUE(
        noted(outcome.transcript, R"(FAILED: timed out after 400 ms waiting for tray {"event":"tray-visible"})"));
    EXPECT_EQ(eventsOf(outcome.transcript, "tray"), (std::vector<std::string>{"ready", "exit 0"}));
}

TEST_F(DemoFailure, AChildThatDoesNotEndWhenItsInputClosesIsKilledByItsPid)
{
    const DemoOutcome outcome =
        runDemo({"--unattended", "--timeout-ms", "300", "--tray", fakeTray("exec tail -f /dev/null")},
                Environment::inherited());
    EXPECT_EQ(outcome.status, 1);
    EXPECT_TRUE(noted(outcome.transcript, "tray: did not end in time; killing pid"));
    EXPECT_EQ(eventsOf(outcome.transcript, "tray"), (std::vector<std::string>{"ready", "signal 9"}));
}

TEST_F(DemoFailure, AnUnexpectedEventFailsTheRun)
{
    const DemoOutcome outcome =
        runDemo({"--unattended", "--tray", fakeTray("echo '{\"event\":\"duplicate\"}'; exec cat >/dev/null")},
                Environment::inherited());
    EXPECT_EQ(outcome.status, 1);
    EXPECT_TRUE(noted(outcome.transcript, "FAILED: a tray with this identity is already running"));
}

TEST_F(DemoFailure, AMissingTrayProgramOrBadArgumentsEndTheDemo)
{
    const DemoOutcome missing =
        runDemo({"--unattended", "--tray", (pathOf(m_scratch) / "none").string()}, Environment::inherited());
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(noted(missing.transcript, "FAILED: cannot start"));
    EXPECT_FALSE(noted(missing.transcript, "step 1/"));

    const DemoOutcome bogus = runDemo({"--bogus"}, Environment::inherited());
    EXPECT_EQ(bogus.status, 2);
    EXPECT_TRUE(bogus.transcript.empty());
    EXPECT_EQ(bogus.errors.rfind("corvane-demo: unknown argument \"--bogus\"\nusage: corvane-demo", 0), 0u)
        << bogus.errors;

    Process help({CORVANE_DEMO_PATH, "--help"});
    EXPECT_EQ(help.readAllStdout(patience).rfind("usage: corvane-demo", 0), 0u);
    EXPECT_EQ(help.wait(patience), 0);
}

} // namespace
} // namespace corvane::test
