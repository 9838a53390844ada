// Tray mode end to end: the real binary in a test desktop (Xvfb, a private session bus and our own
// StatusNotifierWatcher host), driven over its pipes and read back as the shell sees it over D-Bus.
#include "TestDesktop.h"
#include "TrayProgram.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>

namespace corvane::test {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

constexpr const char* sampleState =
    R"({"status":"ready","iconStatus":"busy","tooltip":"<b>Corvane</b> & co_op",)"
    R"("menu":[{"id":"a","text":"Pause & resume _now_","enabled":true,"action":"pause"},)"
    R"({"id":"s1","text":"","enabled":true,"separator":true},)"
    R"({"id":"p","text":"More","enabled":true,"children":[)"
    R"({"id":"c1","text":"Child","enabled":true,"action":"child"},)"
    R"({"id":"c2","text":"","enabled":false,"separator":true},)"
    R"({"id":"c3","text":"Quiet child","enabled":true}]},)"
    R"({"id":"d","text":"Disabled","enabled":false,"action":"never"},)"
    R"({"id":"s2","text":"","enabled":true,"separator":true}]})";

// What a shell shows for a dbusmenu label: "__" is one underscore, "_x" marks x as the mnemonic.
std::string shownLabel(const std::string& label)
{
    std::string shown;
    for (std::size_t i = 0; i < label.size(); ++i) {
        if (label[i] == '_' && i + 1 < label.size()) {
            ++i;
        }
        shown += label[i];
    }
    return shown;
}

// The rows as "label|enabled|type" strings, children indented.
std::vector<std::string> rows(const json& menu, const std::string& indent = "")
{
    std::vector<std::string> result;
    for (const json& node : menu) {
        result.push_back(indent + shownLabel(node.at("label").get<std::string>()) + "|" +
                         (node.at("enabled").get<bool>() ? "on" : "off") + "|" + node.at("type").get<std::string>());
        const std::vector<std::string> children = rows(node.at("children"), indent + "  ");
        result.insert(result.end(), children.begin(), children.end());
    }
    return result;
}

// The dbusmenu id of the row whose shown label is `label`.
int rowId(const json& menu, const std::string& label)
{
    for (const json& node : menu) {
        if (shownLabel(node.at("label").get<std::string>()) == label) {
            return node.at("id").get<int>();
        }
        if (const int child = rowId(node.at("children"), label); child >= 0) {
            return child;
        }
    }
    return -1;
}

class Tray : public ::testing::Test {
protected:
    Process::Options options(const std::string& waitMs = "5000") const
    {
        Environment environment = m_desktop.environment();
        environment.set("CORVANE_TRAY_INSTANCE_ID", identityOf('c'));
        environment.set("CORVANE_UI_READY_MARKER", (m_desktop.directory() / "ready-marker").string());
        environment.set("CORVANE_UI_WAIT_MS", waitMs);
        return {.environment = environment};
    }

    // Starts the host and a smoke run, and reads "ready" and "tray-visible".
    Process& startVisible()
    {
        m_desktop.startHost(CORVANE_TEST_HOST_PATH);
        Process& tray = m_tray.emplace(std::vector<std::string>{CORVANE_TRAY_PATH, "--smoke"}, options());
        EXPECT_EQ(nextLine(tray), R"({"event":"ready"})");
        EXPECT_EQ(nextLine(tray), R"({"event":"tray-visible"})");
        return tray;
    }

    void send(Process& tray, const std::string& line) { ASSERT_TRUE(tray.writeStdin(line + "\n")); }

    json menu() { return m_desktop.host().dump().at("menu"); }

    TestDesktop m_desktop;
    std::optional<Process> m_tray;
};

TEST_F(Tray, ReportsVisibleOnlyOnceTheHostHasTheItemAndWritesTheMarker)
{
    Process& tray = startVisible();
    EXPECT_TRUE(fs::exists(m_desktop.directory() / "ready-marker"));
    const json item = m_desktop.host().dump();
    EXPECT_EQ(item.at("title"), "Corvane");
    EXPECT_EQ(rows(item.at("menu")), std::vector<std::string>{"正在启动…|off|standard"});
    EXPECT_EQ(item.at("tooltip").at("title"), "正在启动…");
    tray.closeStdin();
    EXPECT_EQ(tray.wait(patience), 0);
    EXPECT_EQ(tray.readAllStdout(patience), "");
    EXPECT_EQ(tray.readAllStderr(patience), "");
}

TEST_F(Tray, HostSeesEveryRowLiterallyWithSeparatorsKept)
{
    Process& tray = startVisible();
    send(tray, sampleState);
    ASSERT_EQ(nextLine(tray), R"({"event":"state-applied","status":"ready"})");
    const json item = m_desktop.host().dump();
    EXPECT_EQ(rows(item.at("menu")), (std::vector<std::string>{
                                         "Pause & resume _now_|on|standard",
                                         "|on|separator",
                                         "More|on|standard",
                                         "  Child|on|standard",
                                         "  |on|separator",
                                         "  Quiet child|on|standard",
                                         "Disabled|off|standard",
                                         "|on|separator",
                                     }));
    // Markup characters go out as their fullwidth forms, which no host reads as markup.
    EXPECT_EQ(item.at("tooltip").at("title"), "\uFF1Cb\uFF1ECorvane\uFF1C/b\uFF1E \uFF06 co_op");
}

TEST_F(Tray, LongTextsAreCutByUserPerceivedCharacters)
{
    Process& tray = startVisible();
    // "e" + combining acute is one character; 70 of them are 140 code points.
    std::string title;
    for (int i = 0; i < 70; ++i) {
        title += "e\xCC\x81";
    }
    const std::string tooltip(400, 't');
    send(tray, R"({"status":"ready","iconStatus":"ready","tooltip":")" + tooltip + R"(","menu":[{"id":"a","text":")" +
                   title + R"(","enabled":true}]})");
    ASSERT_EQ(nextLine(tray), R"({"event":"state-applied","status":"ready"})");
    const json item = m_desktop.host().dump();
    EXPECT_EQ(shownLabel(item.at("menu").at(0).at("label")), title.substr(0, 64 * 3));
    EXPECT_EQ(item.at("tooltip").at("title"), tooltip.substr(0, 360));
}

TEST_F(Tray, InPlaceChangeKeepsTheRowsAndUpdatesThem)
{
    Process& tray = startVisible();
    send(tray, sampleState);
    ASSERT_EQ(nextLine(tray), R"({"event":"state-applied","status":"ready"})");
    const json before = menu();
    std::string changed = sampleState;
    changed.replace(changed.find("Pause & resume _now_"), 20, "继续");
    changed.replace(changed.find(R"("id":"d","text":"Disabled","enabled":false)"), 42,
                    R"("id":"d","text":"Enabled","enabled":true)");
    send(tray, changed);
    ASSERT_EQ(nextLine(tray), R"({"event":"state-applied","status":"ready"})");
    ASSERT_TRUE(m_desktop.host().awaitEvent("items-properties-updated"));
    const json after = menu();
    EXPECT_EQ(rowId(after, "继续"), rowId(before, "Pause & resume _now_"));
    EXPECT_EQ(rowId(after, "Enabled"), rowId(before, "Disabled"));
    EXPECT_EQ(rows(after).back(), "|on|separator");
    EXPECT_EQ(rows(after)[6], "Enabled|on|standard");
}

TEST_F(Tray, ClicksReportExactlyTheRowsThatHaveAnEnabledAction)
{
    Process& tray = startVisible();
    send(tray, sampleState);
    ASSERT_EQ(nextLine(tray), R"({"event":"state-applied","status":"ready"})");
    const json rowsNow = menu();
    // Disabled rows, rows without an action and submenu parents report nothing; a later click that does
    // report shows that nothing came in between.
    for (const char* silent : {"Disabled", "Quiet child", "More"}) {
        m_desktop.host().command("click " + std::to_string(rowId(rowsNow, silent)));
    }
    m_desktop.host().command("click " + std::to_string(rowId(rowsNow, "Child")));
    EXPECT_EQ(nextLine(tray), R"({"action":"child","event":"menu"})");
    m_desktop.host().command("click " + std::to_string(rowId(rowsNow, "Pause & resume _now_")));
    EXPECT_EQ(nextLine(tray), R"({"action":"pause","event":"menu"})");
}

TEST_F(Tray, SmokeExerciseClicksEnabledRowsAndRefusesTheRest)
{
    Process& tray = startVisible();
    send(tray, sampleState);
    ASSERT_EQ(nextLine(tray), R"({"event":"state-applied","status":"ready"})");
    for (const char* refused : {R"({"exerciseMenu":"d"})", R"({"exerciseMenu":"nope"})", R"({"exerciseMenu":"s1"})"}) {
        send(tray, refused);
        EXPECT_EQ(nextLine(tray), R"({"event":"protocol-error"})") << refused;
    }
    send(tray, R"({"exerciseMenu":"c1"})");
    EXPECT_EQ(nextLine(tray), R"({"action":"child","event":"menu"})");
}

TEST_F(Tray, RefusedLinesCostOneEventEachAndChangeNothing)
{
    Process& tray = startVisible();
    send(tray, sampleState);
    ASSERT_EQ(nextLine(tray), R"({"event":"state-applied","status":"ready"})");
    const json before = m_desktop.host().dump();
    for (const char* refused : {"", "hello", "[]", R"({"type":"form","mode":"setup","projectRoot":""})",
                                R"({"status":"Ready","iconStatus":"ready","tooltip":"","menu":[]})",
                                R"({"status":"ready","iconStatus":"ready","tooltip":"","menu":[]})"}) {
        send(tray, refused);
        EXPECT_EQ(nextLine(tray), R"({"event":"protocol-error"})") << refused;
    }
    send(tray, "\r");
    EXPECT_EQ(nextLine(tray), R"({"event":"protocol-error"})");
    const json after = m_desktop.host().dump();
    EXPECT_EQ(after.at("menu"), before.at("menu"));
    EXPECT_EQ(after.at("tooltip"), before.at("tooltip"));
}

TEST_F(Tray, CarriageReturnBeforeTheLineFeedIsWhiteSpace)
{
    Process& tray = startVisible();
    send(tray, std::string(sampleState) + "\r");
    EXPECT_EQ(nextLine(tray), R"({"event":"state-applied","status":"ready"})");
}

TEST_F(Tray, QuitRequestsBecomeEventsAndTheProcessKeepsRunning)
{
    Process& tray = startVisible();
    tray.terminate();
    EXPECT_EQ(nextLine(tray), R"({"action":"exit","event":"menu"})");
    tray.terminate();
    EXPECT_EQ(nextLine(tray), R"({"action":"exit","event":"menu"})");
    send(tray, sampleState);
    EXPECT_EQ(nextLine(tray), R"({"event":"state-applied","status":"ready"})");
    tray.closeStdin();
    EXPECT_EQ(tray.wait(patience), 0);
}

TEST_F(Tray, OverlongLinesStopTheProcessAfterOneProtocolError)
{
    m_desktop.startHost(CORVANE_TEST_HOST_PATH);
    {
        Process tray = startTray({"--smoke"}, options());
        ASSERT_EQ(nextLine(tray), R"({"event":"ready"})");
        ASSERT_EQ(nextLine(tray), R"({"event":"tray-visible"})");
        // A state padded with spaces to exactly 65536 bytes is still a line.
        std::string exact = sampleState;
        exact.append(65536 - exact.size(), ' ');
        send(tray, exact);
        EXPECT_EQ(nextLine(tray), R"({"event":"state-applied","status":"ready"})");
        send(tray, exact + " ");
        EXPECT_EQ(nextLine(tray), R"({"event":"protocol-error"})");
        EXPECT_EQ(tray.wait(patience), 0);
    }
    {
        Process tray = startTray({"--smoke"}, options());
        ASSERT_EQ(nextLine(tray), R"({"event":"ready"})");
        ASSERT_EQ(nextLine(tray), R"({"event":"tray-visible"})");
        // No line feed and standard input stays open: refused as soon as the bytes are read.
        ASSERT_TRUE(tray.writeStdin(std::string(70000, 'x')));
        EXPECT_EQ(nextLine(tray), R"({"event":"protocol-error"})");
        EXPECT_EQ(tray.wait(patience), 0);
        EXPECT_EQ(tray.readAllStderr(patience), "");
    }
}

TEST_F(Tray, UnterminatedLastLineIsDroppedAtEndOfInput)
{
    Process& tray = startVisible();
    ASSERT_TRUE(tray.writeStdin(sampleState));
    tray.closeStdin();
    EXPECT_EQ(tray.wait(patience), 0);
    EXPECT_EQ(tray.readAllStdout(patience), "");
}

TEST_F(Tray, WithoutAnyTrayHostItReportsNotVisibleAndStops)
{
    Process tray = startTray({}, options("300"));
    EXPECT_EQ(nextLine(tray), R"({"event":"ready"})");
    EXPECT_EQ(nextLine(tray), R"({"event":"protocol-error","reason":"tray-not-visible"})");
    EXPECT_EQ(tray.wait(patience), 0);
    EXPECT_EQ(tray.readAllStdout(patience), "");
    EXPECT_FALSE(fs::exists(m_desktop.directory() / "ready-marker"));
}

TEST_F(Tray, AHostThatComesUpShortlyAfterIsWaitedFor)
{
    Process tray = startTray({}, options("15000"));
    m_desktop.startHost(CORVANE_TEST_HOST_PATH);
    EXPECT_EQ(nextLine(tray), R"({"event":"ready"})");
    EXPECT_EQ(nextLine(tray), R"({"event":"tray-visible"})");
    EXPECT_EQ(rows(m_desktop.host().dump().at("menu")), std::vector<std::string>{"正在启动…|off|standard"});
}

TEST_F(Tray, AnXEmbedTrayEmbedsTheItemWhenNoStatusNotifierHostRuns)
{
    const Process::Options desktop{.environment = m_desktop.environment()};
    Process trayer({"trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height", "28"},
                   desktop);
    Process search({"xdotool", "search", "--sync", "--class", "trayer"}, desktop);
    ASSERT_EQ(search.wait(patience), 0);
    Process tray = startTray({"--smoke"}, options());
    EXPECT_EQ(nextLine(tray), R"({"event":"ready"})");
    EXPECT_EQ(nextLine(tray), R"({"event":"tray-visible"})");
    send(tray, sampleState);
    EXPECT_EQ(nextLine(tray), R"({"event":"state-applied","status":"ready"})");
    send(tray, R"({"exerciseMenu":"a"})");
    EXPECT_EQ(nextLine(tray), R"({"action":"pause","event":"menu"})");
    // The tray going away leaves nothing to show the item in; the process keeps serving the controller.
    trayer.kill();
    send(tray, sampleState);
    EXPECT_EQ(nextLine(tray), R"({"event":"state-applied","status":"ready"})");
}

TEST_F(Tray, TrayAndFormOfOneIdentityRunSideBySide)
{
    startVisible();
    Process::Options formOptions = options();
    Process form = startTray({"form"}, formOptions);
    EXPECT_EQ(nextLine(form), R"({"event":"ready"})");
    Process second = startTray({}, options());
    EXPECT_EQ(nextLine(second), R"({"event":"duplicate"})");
    EXPECT_EQ(second.wait(patience), 0);
}

} // namespace
} // namespace corvane::test
