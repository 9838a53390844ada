// Form mode and the folder chooser end to end: the real binary's form messages, their refusals and the
// events they give, offscreen; the keyboard and the chooser's dialog in the test desktop, driven with
// xdotool.
#include "TestDesktop.h"
#include "TrayProgram.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <optional>
#include <sstream>

namespace corvane::test {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

constexpr const char* ready = R"({"event":"ready"})";
constexpr const char* protocolError = R"({"event":"protocol-error"})";
constexpr const char* visible = R"({"event":"form-visible"})";
constexpr const char* cancelled = R"({"event":"cancel"})";
constexpr const char* cancelExercise = R"({"type":"exercise-form","action":"cancel"})";
// A line every form-mode run refuses, to show that nothing came before its answer.
constexpr const char* refusedProbe = R"({"type":"probe"})";

std::string formMessage(const std::string& mode, const std::string& projectRoot)
{
    return json{{"type", "form"}, {"mode", mode}, {"projectRoot", projectRoot}}.dump();
}

std::string resultMessage(const std::string& phase, const std::string& message = "")
{
    return json{{"type", "form-result"}, {"phase", phase}, {"message", message}}.dump();
}

std::string keyExercise(const std::string& accessKey)
{
    return json{{"type", "exercise-form"}, {"accessKey", accessKey}}.dump();
}

std::string presented(const std::string& mode)
{
    return R"({"event":"form-presented","mode":")" + mode + R"("})";
}

std::string updated(const std::string& phase, bool inputEnabled)
{
    return std::string(R"({"event":"form-updated","inputEnabled":)") + (inputEnabled ? "true" : "false") +
           R"(,"phase":")" + phase + R"("})";
}

std::string repeated(const std::string& piece, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i) {
        text += piece;
    }
    return text;
}

void send(Process& process, const std::string& line)
{
    ASSERT_TRUE(process.writeStdin(line + "\n")) << line;
}

// Sends `line` and expects exactly `answer` as the next event.
void exchange(Process& process, const std::string& line, const std::string& answer)
{
    send(process, line);
    EXPECT_EQ(nextLine(process), answer) << "after " << line;
}

// Ends the run by closing standard input (if it has one): status 0, nothing more on stdout, nothing on
// stderr.
void finish(Process& process)
{
    process.closeStdin();
    EXPECT_EQ(process.wait(patience), 0);
    EXPECT_EQ(process.readAllStdout(patience), "");
    EXPECT_EQ(process.readAllStderr(patience), "");
}

class FormMode : public ::testing::Test {
protected:
    Process::Options options() const
    {
        Process::Options options{.environment = offscreenEnvironment(identityOf('f'), pathOf(m_scratch))};
        options.environment.set("CORVANE_UI_READY_MARKER", marker().string());
        return options;
    }

    fs::path marker() const { return pathOf(m_scratch) / "ui-ready"; }

    // A smoke run of form mode; the caller reads its "ready".
    Process startForm() const { return startTray({"form", "--smoke"}, options()); }

    // Sends the form message and expects it presented and visible. Qt's offscreen platform exposes a
    // window as soon as it is shown, so "form-visible" (and the marker) come without a display too.
    void open(Process& form, const std::string& mode = "setup", const std::string& projectRoot = "/srv/project")
    {
        send(form, formMessage(mode, projectRoot));
        EXPECT_EQ(nextLine(form), presented(mode));
        EXPECT_EQ(nextLine(form), visible);
    }

    QTemporaryDir m_scratch;
};

TEST_F(FormMode, EachModeIsPresentedThenVisibleAndOnlyThenWritesTheMarker)
{
    for (const std::string mode : {"setup", "replace-key"}) {
        SCOPED_TRACE(mode);
        fs::remove(marker());
        Process form = startForm();
        ASSERT_EQ(nextLine(form), ready);
        EXPECT_FALSE(fs::exists(marker()));
        open(form, mode);
        EXPECT_TRUE(fs::exists(marker()));
        finish(form);
    }
}

TEST_F(FormMode, LinesRightBehindTheFormAreAnsweredOnlyOnceItIsVisible)
{
    Process form = startForm();
    ASSERT_EQ(nextLine(form), ready);
    // One write: every line is read before the window can be exposed.
    ASSERT_TRUE(form.writeStdin(formMessage("setup", "/srv/project") + "\n" +
                                R"({"type":"form-result","phase":"busy","message":"x"})" + "\nnot json\n" +
                                R"({"type":"exercise-form","action":"cancel"})" + "\n"));
    form.closeStdin();
    EXPECT_EQ(nextLine(form), presented("setup"));
    EXPECT_EQ(nextLine(form), visible);
    EXPECT_EQ(nextLine(form), R"({"event":"form-updated","inputEnabled":false,"phase":"busy"})");
    EXPECT_EQ(nextLine(form), R"({"event":"protocol-error"})");
    EXPECT_EQ(nextLine(form), R"({"event":"cancel"})");
    EXPECT_EQ(form.wait(patience), 0);
    EXPECT_EQ(form.readAllStdout(patience), "");
}

TEST_F(FormMode, SecondFormIsRefusedAndTheFirstKeepsItsModeAndFolder)
{
    Process form = startForm();
    ASSERT_EQ(nextLine(form), ready);
    open(form, "replace-key", "/first");
    exchange(form, formMessage("setup", "/second"), protocolError);
    exchange(form, formMessage("replace-key", "/first"), protocolError);
    exchange(form, keyExercise("key"), R"({"accessKey":"key","event":"submit"})");
}

TEST_F(FormMode, MalformedFormMessagesAreRefusedAndAValidOneStillBuilds)
{
    Process form = startForm();
    ASSERT_EQ(nextLine(form), ready);
    for (const std::string refused : {
             R"({"type":"form","mode":"Setup","projectRoot":""})",
             R"({"type":"form","mode":"","projectRoot":""})",
             R"({"type":"form","mode":"replace","projectRoot":""})",
             R"({"type":"form","projectRoot":""})",
             R"({"type":"form","mode":1,"projectRoot":""})",
             R"({"type":"form","mode":"setup"})",
             R"({"type":"form","mode":"setup","projectRoot":null})",
             R"({"type":"form","mode":"setup","projectRoot":7})",
             R"({"type":"form","mode":"setup","projectRoot":["\/srv"]})",
             R"({"type":"form","mode":"setup","projectRoot":"\/srv",})",
         }) {
        exchange(form, refused, protocolError);
    }
    open(form, "setup", "/srv/p");
    exchange(form, keyExercise("k"), R"({"accessKey":"k","event":"submit","projectRoot":"\/srv\/p"})");
}

TEST_F(FormMode, ProjectRootIsCappedAt4096BytesNotCharacters)
{
    // 1365 three-byte characters and one letter: 4096 bytes in 1366 characters.
    const std::string longest = repeated("项", 1365) + "a";
    Process form = startForm();
    ASSERT_EQ(nextLine(form), ready);
    exchange(form, formMessage("setup", longest + "b"), protocolError);
    exchange(form, formMessage("replace-key", longest + "b"), protocolError);
    open(form, "setup", longest);
    exchange(form, keyExercise("k"), R"({"accessKey":"k","event":"submit","projectRoot":")" + longest + "\"}");
}

TEST_F(FormMode, LinesThatAreNotFormMessagesAreRefusedBeforeAndAfterTheForm)
{
    const std::vector<std::string> refused = {
        "",
        "hello",
        "[]",
        "null",
        R"({"mode":"setup","projectRoot":""})",
        R"({"type":1,"mode":"setup","projectRoot":""})",
        R"({"type":null})",
        R"({"type":"Form","mode":"setup","projectRoot":""})",
        R"({"status":"ready","iconStatus":"ready","tooltip":"","menu":[]})",
        R"({"exerciseMenu":"a"})",
    };
    Process form = startForm();
    ASSERT_EQ(nextLine(form), ready);
    for (const std::string& line : refused) {
        exchange(form, line, protocolError);
    }
    // Results and exercises need a form first.
    exchange(form, resultMessage("busy"), protocolError);
    exchange(form, keyExercise("k"), protocolError);
    exchange(form, cancelExercise, protocolError);
    open(form);
    for (const std::string& line : refused) {
        exchange(form, line, protocolError);
    }
    exchange(form, resultMessage("error"), updated("error", true));
}

TEST_F(FormMode, MalformedResultsAreRefusedAndLeaveTheFormAsItWas)
{
    Process form = startForm();
    ASSERT_EQ(nextLine(form), ready);
    open(form);
    for (const std::string refused : {
             R"({"type":"form-result","phase":"Busy","message":""})",
             R"({"type":"form-result","phase":"done","message":""})",
             R"({"type":"form-result","phase":"","message":""})",
             R"({"type":"form-result","phase":1,"message":""})",
             R"({"type":"form-result","message":""})",
             R"({"type":"form-result","phase":"busy","message":3})",
             R"({"type":"form-result","phase":"busy","message":null})",
             R"({"type":"form-result","phase":"success"})",
             R"({"type":"exercise-form"})",
             R"({"type":"exercise-form","action":"close"})",
             R"({"type":"exercise-form","accessKey":12})",
         }) {
        exchange(form, refused, protocolError);
    }
    // Still editing: a submit goes through.
    exchange(form, keyExercise("k"), R"({"accessKey":"k","event":"submit","projectRoot":"\/srv\/project"})");
}

TEST_F(FormMode, UpdatesTellWhetherTheKeyFieldTakesInput)
{
    Process form = startForm();
    ASSERT_EQ(nextLine(form), ready);
    open(form);
    const std::vector<std::pair<std::string, bool>> steps = {
        {"busy", false}, {"error", true}, {"success", false}, {"error", true}, {"busy", false}, {"error", true},
    };
    for (const auto& [phase, enabled] : steps) {
        exchange(form, resultMessage(phase, "说明 / message"), updated(phase, enabled));
    }
    exchange(form, cancelExercise, cancelled);
    for (const std::string phase : {"error", "success", "busy", "error"}) {
        exchange(form, resultMessage(phase), updated(phase, false));
    }
}

TEST_F(FormMode, SubmitCarriesTheTrimmedKeyWithTheFolderOnlyInSetup)
{
    {
        Process form = startForm();
        ASSERT_EQ(nextLine(form), ready);
        open(form, "setup", "/home/me/项目");
        exchange(form, keyExercise(" \t key/with space\t\n"),
                 R"({"accessKey":"key\/with space","event":"submit","projectRoot":"\/home\/me\/项目"})");
        // Busy now: another submit sends nothing.
        send(form, keyExercise("second"));
        exchange(form, refusedProbe, protocolError);
        exchange(form, resultMessage("error", "wrong"), updated("error", true));
        exchange(form, keyExercise("third"),
                 R"({"accessKey":"third","event":"submit","projectRoot":"\/home\/me\/项目"})");
        finish(form);
    }
    {
        Process form = startForm();
        ASSERT_EQ(nextLine(form), ready);
        open(form, "replace-key", "/home/me/项目");
        exchange(form, keyExercise("钥匙"), R"({"accessKey":"钥匙","event":"submit"})");
    }
}

TEST_F(FormMode, IncompleteSubmitsSendNothing)
{
    {
        Process form = startForm();
        ASSERT_EQ(nextLine(form), ready);
        open(form, "setup", "/srv/p");
        for (const std::string& key :
             {std::string(), std::string(" \t\n"), std::string(257, 'k'), repeated("钥", 86)}) {
            send(form, keyExercise(key));
        }
        exchange(form, refusedProbe, protocolError);
        exchange(form, keyExercise(std::string(256, 'k')),
                 R"({"accessKey":")" + std::string(256, 'k') + R"(","event":"submit","projectRoot":"\/srv\/p"})");
    }
    {
        Process form = startForm();
        ASSERT_EQ(nextLine(form), ready);
        open(form, "setup", "");
        send(form, keyExercise("complete-key"));
        exchange(form, refusedProbe, protocolError);
    }
}

TEST_F(FormMode, CancelIsSentOnceHoweverItIsAsked)
{
    {
        Process form = startForm();
        ASSERT_EQ(nextLine(form), ready);
        open(form);
        exchange(form, cancelExercise, cancelled);
        send(form, cancelExercise);
        form.terminate();
        send(form, keyExercise("late"));
        exchange(form, refusedProbe, protocolError);
        finish(form);
    }
    {
        Process form = startForm();
        ASSERT_EQ(nextLine(form), ready);
        open(form);
        form.terminate();
        EXPECT_EQ(nextLine(form), cancelled);
        send(form, cancelExercise);
        exchange(form, refusedProbe, protocolError);
    }
}

TEST_F(FormMode, SubmitAfterSuccessIsTheOneCancel)
{
    Process form = startForm();
    ASSERT_EQ(nextLine(form), ready);
    open(form, "replace-key");
    exchange(form, keyExercise("k"), R"({"accessKey":"k","event":"submit"})");
    exchange(form, resultMessage("success", "已更换"), updated("success", false));
    exchange(form, keyExercise("k"), cancelled);
    send(form, keyExercise("k"));
    send(form, cancelExercise);
    exchange(form, refusedProbe, protocolError);
}

TEST_F(FormMode, OutsideSmokeRunsExercisesAreRefusedAndNothingIsReportedButVisibility)
{
    Process form = startTray({"form"}, options());
    ASSERT_EQ(nextLine(form), ready);
    send(form, formMessage("setup", "/srv/p"));
    EXPECT_EQ(nextLine(form), visible);
    exchange(form, keyExercise("k"), protocolError);
    exchange(form, cancelExercise, protocolError);
    send(form, resultMessage("busy"));
    exchange(form, refusedProbe, protocolError);
    form.terminate();
    EXPECT_EQ(nextLine(form), cancelled);
    finish(form);
}

TEST_F(FormMode, ClosedInputEndsTheRunInEveryStateWithoutTheKeyOnStderr)
{
    const std::string key = "never-on-stderr";
    const std::vector<std::vector<std::string>> runs = {
        {},
        {formMessage("setup", "/srv/p")},
        {formMessage("setup", "/srv/p"), keyExercise(key)},
        {formMessage("setup", "/srv/p"), keyExercise(key), resultMessage("success")},
        {formMessage("replace-key", ""), keyExercise(key), resultMessage("error"), cancelExercise},
    };
    for (const std::vector<std::string>& lines : runs) {
        SCOPED_TRACE(lines.size());
        Process::Options run = options();
        run.environment.set("CORVANE_QT_MESSAGES", "1");
        Process form = startTray({"form", "--smoke"}, run);
        ASSERT_EQ(nextLine(form), ready);
        for (const std::string& line : lines) {
            send(form, line);
        }
        form.closeStdin();
        EXPECT_EQ(form.wait(patience), 0);
        EXPECT_EQ(form.readAllStderr(patience).find(key), std::string::npos);
        EXPECT_EQ(form.readAllStdout(patience).find("protocol-error"), std::string::npos);
    }
}

TEST_F(FormMode, ChooserSmokeRunReportsOneResultWithoutAFolderAndEnds)
{
    Process::Options run = options();
    run.input = Process::Stream::Null;
    run.environment.set("CORVANE_CURRENT_PROJECT_ROOT", pathOf(m_scratch).string());
    Process chooser = startTray({"choose-folder", "--smoke"}, run);
    const json result = json::parse(nextLine(chooser));
    // Whether an offscreen dialog counts as on screen is the platform's say; the rest is fixed.
    ASSERT_TRUE(result.contains("visible"));
    EXPECT_TRUE(result.at("visible").is_boolean());
    EXPECT_EQ(result, (json{{"event", "folder-result"},
                            {"projectRoot", nullptr},
                            {"canCreateDirectories", true},
                            {"visible", result.at("visible")}}));
    finish(chooser);
}

// Form mode and the chooser in the test desktop, where keys come from the X server.
class DesktopForm : public ::testing::Test {
protected:
    Process::Options options() const
    {
        Process::Options options{.environment = m_desktop.environment()};
        options.environment.set("CORVANE_TRAY_INSTANCE_ID", identityOf('d'));
        options.environment.set("CORVANE_UI_READY_MARKER", (m_desktop.directory() / "ui-ready").string());
        return options;
    }

    // Runs xdotool to its end and answers what it printed.
    std::string xdotool(const std::vector<std::string>& arguments) const
    {
        std::vector<std::string> argv = {"xdotool"};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        Process tool(argv, {.environment = m_desktop.environment(), .input = Process::Stream::Null});
        std::string output = tool.readAllStdout(patience);
        EXPECT_EQ(tool.wait(patience), 0) << argv[1];
        return output;
    }

    // Waits for the one shown window titled "Corvane", gives it the keyboard and answers its id.
    std::string focusWindow() const
    {
        std::istringstream found(xdotool({"search", "--sync", "--onlyvisible", "--name", "^Corvane$"}));
        std::string window;
        std::getline(found, window);
        xdotool({"windowfocus", "--sync", window});
        return window;
    }

    // Presses `key` in the focused window. (Sent to a named window, the key's release could find the
    // window already gone when the key closes it.)
    void press(const std::string& key) const { xdotool({"key", key}); }

    TestDesktop m_desktop;
};

TEST_F(DesktopForm, TypedKeyAndReturnSubmitExactlyThatKeyOnce)
{
    Process form = startTray({"form", "--smoke"}, options());
    ASSERT_EQ(nextLine(form), ready);
    send(form, formMessage("setup", "/srv/p"));
    ASSERT_EQ(nextLine(form), presented("setup"));
    ASSERT_EQ(nextLine(form), visible);
    EXPECT_TRUE(fs::exists(m_desktop.directory() / "ui-ready"));
    const std::string window = focusWindow();
    xdotool({"type", "--window", window, "Key-123 x/y"});
    press("Return");
    EXPECT_EQ(nextLine(form), R"({"accessKey":"Key-123 x\/y","event":"submit","projectRoot":"\/srv\/p"})");
    // Busy: Return does nothing, so the Escape after it gives the next event.
    press("Return");
    press("Escape");
    EXPECT_EQ(nextLine(form), cancelled);
    finish(form);
}

TEST_F(DesktopForm, EscapeCancelsOnceAndAfterSuccessOnlyReturnCloses)
{
    {
        Process form = startTray({"form", "--smoke"}, options());
        ASSERT_EQ(nextLine(form), ready);
        send(form, formMessage("replace-key", ""));
        ASSERT_EQ(nextLine(form), presented("replace-key"));
        ASSERT_EQ(nextLine(form), visible);
        focusWindow();
        press("Escape");
        EXPECT_EQ(nextLine(form), cancelled);
        press("Escape");
        press("Return");
        exchange(form, resultMessage("error"), updated("error", false));
    }
    {
        Process form = startTray({"form", "--smoke"}, options());
        ASSERT_EQ(nextLine(form), ready);
        send(form, formMessage("replace-key", ""));
        ASSERT_EQ(nextLine(form), presented("replace-key"));
        ASSERT_EQ(nextLine(form), visible);
        focusWindow();
        exchange(form, resultMessage("success"), updated("success", false));
        press("Escape");
        press("Return");
        EXPECT_EQ(nextLine(form), cancelled);
    }
}

TEST_F(DesktopForm, ChooserSmokeRunIsOnScreenAndCancelsItself)
{
    Process::Options run = options();
    run.input = Process::Stream::Null;
    Process chooser = startTray({"choose-folder", "--smoke"}, run);
    EXPECT_EQ(nextLine(chooser),
              R"({"canCreateDirectories":true,"event":"folder-result","projectRoot":null,"visible":true})");
    EXPECT_EQ(chooser.wait(patience), 0);
    EXPECT_EQ(chooser.readAllStdout(patience), "");
}

TEST_F(DesktopForm, ChooserStartsInTheCurrentProjectRootAndGivesItBackOnAccept)
{
    const fs::path start = m_desktop.directory() / "工程 one";
    fs::create_directory(start);
    Process::Options run = options();
    run.input = Process::Stream::Null;
    run.environment.set("CORVANE_CURRENT_PROJECT_ROOT", start.string());
    Process chooser = startTray({"choose-folder"}, run);
    focusWindow();
    press("Return");
    const json result = json::parse(nextLine(chooser));
    EXPECT_EQ(result.at("event"), "folder-result");
    EXPECT_EQ(result.at("projectRoot"), start.string());
    EXPECT_EQ(result.at("canCreateDirectories"), true);
    EXPECT_EQ(chooser.wait(patience), 0);
}

TEST_F(DesktopForm, OpenChooserMakesAnotherFormOrChooserADuplicateAndEscapeGivesNoFolder)
{
    Process::Options run = options();
    run.input = Process::Stream::Null;
    Process chooser = startTray({"choose-folder"}, run);
    // The window exists only after the lock is held.
    focusWindow();
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"form"}, {"form", "--smoke"}, {"choose-folder", "--smoke"}}) {
        Process duplicate = startTray(arguments, run);
        EXPECT_EQ(nextLine(duplicate), R"({"event":"duplicate"})");
        EXPECT_EQ(duplicate.wait(patience), 0);
    }
    press("Escape");
    const json result = json::parse(nextLine(chooser));
    EXPECT_EQ(result.at("projectRoot"), nullptr);
    EXPECT_EQ(chooser.wait(patience), 0);
}

} // namespace
} // namespace corvane::test
