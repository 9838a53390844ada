// Tray and form dispatch as transcripts: inbound lines in, frontend calls and event lines out.
#include "protocol/EventSink.h"
#include "protocol/FormDispatcher.h"
#include "protocol/TrayDispatcher.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <utility>
#include <vector>

namespace corvane {
namespace {

const std::string protocolError = "{\"event\":\"protocol-error\"}\n";

class Transcript final : public EventSink {
public:
    void emit(std::string_view name, const EventPayload& payload) override { text += encodeEventLine(name, payload); }
    std::string text;
};

class FakeTray final : public TrayFrontend {
public:
    void apply(const TrayState& state) override { applied.push_back(state); }
    bool exerciseMenu(std::string_view id) override
    {
        exercised.emplace_back(id);
        return exerciseAnswer;
    }
    std::vector<TrayState> applied;
    std::vector<std::string> exercised;
    bool exerciseAnswer = true;
};

std::string trayState(const std::string& status, const std::string& menu = R"([{"id":"a","text":"A","enabled":true}])")
{
    return R"({"status":")" + status + R"(","iconStatus":"ready","tooltip":"t","menu":)" + menu + "}";
}

struct TrayRun {
    explicit TrayRun(bool smoke) : dispatcher(tray, events, smoke) {}
    FakeTray tray;
    Transcript events;
    TrayDispatcher dispatcher;
};

TEST(TrayDispatch, AppliesAValidStateAndReportsItOnlyInSmokeRuns)
{
    for (const bool smoke : {false, true}) {
        TrayRun run(smoke);
        run.dispatcher.receive(trayState("partial"));
        ASSERT_EQ(run.tray.applied.size(), 1u) << "smoke " << smoke;
        EXPECT_EQ(run.tray.applied[0].status, "partial");
        EXPECT_EQ(run.tray.applied[0].menu.at(0).id, "a");
        EXPECT_EQ(run.events.text, smoke ? "{\"event\":\"state-applied\",\"status\":\"partial\"}\n" : "")
            << "smoke " << smoke;
    }
}

TEST(TrayDispatch, RefusesEachInvalidLineWithOneProtocolErrorAndNoChange)
{
    std::string rows21;
    for (int index = 0; index < 21; ++index) {
        rows21 +=
            std::string(index ? "," : "") + R"({"id":"r)" + std::to_string(index) + R"(","text":"t","enabled":true})";
    }
    const std::vector<std::pair<const char*, std::string>> lines = {
        {"empty line", ""},
        {"blank line", " "},
        {"non-JSON", "hello"},
        {"empty object", "{}"},
        {"array", "[]"},
        {"undecodable state", trayState("ready", R"([{"id":"a","text":"A","enabled":"true"}])")},
        {"unknown status", trayState("Ready")},
        {"21 rows", trayState("ready", "[" + rows21 + "]")},
        {"duplicate ids",
         trayState("ready", R"([{"id":"a","text":"A","enabled":true},{"id":"a","text":"B","enabled":true}])")},
        {"form message", R"({"type":"form","mode":"setup","projectRoot":"/p"})"},
        {"numeric exercise id", R"({"exerciseMenu":1})"},
        {"valid state with a trailing comma", trayState("ready") + ","},
    };
    for (const bool smoke : {false, true}) {
        for (const auto& [situation, line] : lines) {
            TrayRun run(smoke);
            run.dispatcher.receive(line);
            EXPECT_EQ(run.events.text, protocolError) << situation << ", smoke " << smoke;
            EXPECT_TRUE(run.tray.applied.empty()) << situation << ", smoke " << smoke;
        }
    }
}

TEST(TrayDispatch, ExercisesMenuRowsOnlyInSmokeRuns)
{
    {
        TrayRun run(true);
        run.dispatcher.receive(R"({"exerciseMenu":"a"})");
        EXPECT_EQ(run.tray.exercised, std::vector<std::string>{"a"});
        EXPECT_EQ(run.events.text, "") << "the frontend reports what the row did";
    }
    {
        TrayRun run(true);
        run.tray.exerciseAnswer = false;
        run.dispatcher.receive(R"({"exerciseMenu":"missing"})");
        EXPECT_EQ(run.tray.exercised, std::vector<std::string>{"missing"});
        EXPECT_EQ(run.events.text, protocolError);
        EXPECT_TRUE(run.tray.applied.empty());
    }
    {
        TrayRun run(false);
        run.dispatcher.receive(R"({"exerciseMenu":"a"})");
        EXPECT_TRUE(run.tray.exercised.empty());
        EXPECT_EQ(run.events.text, protocolError);
    }
    // Only a whole JSON text counts, and of a repeated key the last one, as for any member.
    for (const auto& [line, exercised] : std::vector<std::pair<std::string, std::vector<std::string>>>{
             {R"({"exerciseMenu":"a",})", {}},
             {R"({"exerciseMenu":"a"}{})", {}},
             {R"([{"exerciseMenu":"a"}])", {}},
             {R"({"x":{"exerciseMenu":"a"}})", {}},
             {R"({"exerciseMenu":"a","exerciseMenu":1})", {}},
             {R"({"exerciseMenu":null,"exerciseMenu":"b"})", {"b"}},
         }) {
        TrayRun run(true);
        run.dispatcher.receive(line);
        EXPECT_EQ(run.tray.exercised, exercised) << line;
        EXPECT_EQ(run.events.text, exercised.empty() ? protocolError : "") << line;
    }
}

class FakeForm final : public FormFrontend {
public:
    bool formShown() const override { return shown; }
    void buildForm(bool setup, const std::string& projectRoot) override
    {
        builds.emplace_back(setup, projectRoot);
        shown = true;
    }
    void showResult(FormPhase phase, const std::string& message) override { results.emplace_back(phase, message); }
    bool keyFieldEnabled() const override { return keyEnabled; }
    void requestClose() override { ++closeRequests; }
    void submitKey(const std::string& accessKey) override { submitted.push_back(accessKey); }

    bool shown = false;
    bool keyEnabled = false;
    std::vector<std::pair<bool, std::string>> builds;
    std::vector<std::pair<FormPhase, std::string>> results;
    int closeRequests = 0;
    std::vector<std::string> submitted;
};

struct FormRun {
    explicit FormRun(bool smoke) : dispatcher(form, events, smoke) {}
    FakeForm form;
    Transcript events;
    FormDispatcher dispatcher;
};

std::string formLine(const std::string& mode, const std::string& projectRoot)
{
    return R"({"type":"form","mode":")" + mode + R"(","projectRoot":")" + projectRoot + R"("})";
}

std::string resultLine(const std::string& phase, const std::string& message)
{
    return R"({"type":"form-result","phase":")" + phase + R"(","message":")" + message + R"("})";
}

TEST(FormDispatch, BuildsTheFormOnceAndReportsItOnlyInSmokeRuns)
{
    for (const bool smoke : {false, true}) {
        FormRun run(smoke);
        run.dispatcher.receive(formLine("replace-key", "/home/u/p"));
        run.dispatcher.receive(formLine("setup", "/other"));
        ASSERT_EQ(run.form.builds.size(), 1u);
        EXPECT_EQ(run.form.builds[0], std::make_pair(false, std::string("/home/u/p")));
        EXPECT_EQ(run.events.text,
                  (smoke ? "{\"event\":\"form-presented\",\"mode\":\"replace-key\"}\n" : "") + protocolError);
    }
    FormRun run(false);
    run.dispatcher.receive(formLine("setup", "/p"));
    ASSERT_EQ(run.form.builds.size(), 1u);
    EXPECT_TRUE(run.form.builds[0].first);
}

TEST(FormDispatch, RefusesBadFormMessagesAndStillBuildsAfterThem)
{
    const std::string euro = "\xE2\x82\xAC";
    std::string root1366Euros;
    for (int index = 0; index < 1366; ++index) {
        root1366Euros += euro;
    }
    const std::vector<std::pair<const char*, std::string>> refused = {
        {"mode in capitals", formLine("Setup", "/p")},
        {"empty mode", formLine("", "/p")},
        {"numeric mode", R"({"type":"form","mode":1,"projectRoot":"/p"})"},
        {"missing mode", R"({"type":"form","projectRoot":"/p"})"},
        {"missing projectRoot", R"({"type":"form","mode":"setup"})"},
        {"null projectRoot", R"({"type":"form","mode":"setup","projectRoot":null})"},
        {"numeric projectRoot", R"({"type":"form","mode":"setup","projectRoot":7})"},
        {"projectRoot of 4097 bytes", formLine("setup", "/" + std::string(4096, 'r'))},
        {"projectRoot of 1366 characters in 4098 bytes", formLine("setup", root1366Euros)},
        {"missing type", R"({"mode":"setup","projectRoot":"/p"})"},
        {"numeric type", R"({"type":1,"mode":"setup","projectRoot":"/p"})"},
        {"unknown type", R"({"type":"Form","mode":"setup","projectRoot":"/p"})"},
        {"form result before any form", resultLine("busy", "m")},
        {"exercise outside smoke", R"({"type":"exercise-form","action":"cancel"})"},
        {"tray state", trayState("ready")},
        {"non-JSON", "form"},
        {"empty line", ""},
    };
    FormRun run(false);
    std::string expected;
    for (const auto& [situation, line] : refused) {
        run.dispatcher.receive(line);
        expected += protocolError;
        EXPECT_EQ(run.events.text, expected) << situation;
        EXPECT_TRUE(run.form.builds.empty()) << situation;
    }
    EXPECT_TRUE(run.form.results.empty());
    EXPECT_EQ(run.form.closeRequests, 0);
    const std::string longestRoot = "/" + std::string(4095, 'r');
    run.dispatcher.receive(formLine("setup", longestRoot));
    EXPECT_EQ(run.events.text, expected);
    ASSERT_EQ(run.form.builds.size(), 1u);
    EXPECT_EQ(run.form.builds[0].second, longestRoot);
}

TEST(FormDispatch, ShowsResultsOnlyWithAKnownPhaseAndATextMessage)
{
    FormRun run(false);
    run.dispatcher.receive(formLine("setup", "/p"));
    const std::vector<std::pair<const char*, std::string>> refused = {
        {"unknown phase", resultLine("done", "m")},
        {"phase in capitals", resultLine("Busy", "m")},
        {"numeric phase", R"({"type":"form-result","phase":1,"message":"m"})"},
        {"missing phase", R"({"type":"form-result","message":"m"})"},
        {"numeric message", R"({"type":"form-result","phase":"error","message":5})"},
        {"null message", R"({"type":"form-result","phase":"error","message":null})"},
        {"missing message", R"({"type":"form-result","phase":"error"})"},
    };
    for (const auto& [situation, line] : refused) {
        run.dispatcher.receive(line);
        EXPECT_EQ(run.events.text, protocolError) << situation;
        run.events.text.clear();
    }
    EXPECT_TRUE(run.form.results.empty());
    run.dispatcher.receive(resultLine("busy", ""));
    run.dispatcher.receive(resultLine("success", "done"));
    run.dispatcher.receive(resultLine("error", "bad \\\"key\\\""));
    EXPECT_EQ(run.events.text, "");
    EXPECT_EQ(run.form.results,
              (std::vector<std::pair<FormPhase, std::string>>{
                  {FormPhase::Busy, ""}, {FormPhase::Success, "done"}, {FormPhase::Error, "bad \"key\""}}));
}

TEST(FormDispatch, CutsResultMessagesTo360Characters)
{
    const std::string accented = "e\xCC\x81";
    const auto times = [](const std::string& unit, int count) {
        std::string text;
        for (int index = 0; index < count; ++index) {
            text += unit;
        }
        return text;
    };
    const std::vector<std::pair<std::string, std::string>> cases = {
        {std::string(500, 'x'), std::string(360, 'x')},
        {std::string(360, 'x'), std::string(360, 'x')},
        {std::string(361, 'x'), std::string(360, 'x')},
        {times(accented, 500), times(accented, 360)},
        {std::string(359, 'x') + accented + "yz", std::string(359, 'x') + accented},
        {std::string(359, 'x') + "\r\n" + "z", std::string(359, 'x') + "\r\n"},
    };
    for (const auto& [message, shown] : cases) {
        FormRun run(false);
        run.dispatcher.receive(formLine("setup", "/p"));
        nlohmann::json line = {{"type", "form-result"}, {"phase", "error"}, {"message", message}};
        run.dispatcher.receive(line.dump());
        ASSERT_EQ(run.form.results.size(), 1u);
        EXPECT_EQ(run.form.results[0].second, shown) << "message of " << message.size() << " bytes";
    }
}

TEST(FormDispatch, ReportsFormUpdatesInSmokeRunsWithTheKeyFieldState)
{
    FormRun run(true);
    run.dispatcher.receive(formLine("setup", "/p"));
    run.events.text.clear();
    run.form.keyEnabled = false;
    run.dispatcher.receive(resultLine("busy", "checking"));
    run.form.keyEnabled = true;
    run.dispatcher.receive(resultLine("error", "no"));
    EXPECT_EQ(run.events.text, "{\"event\":\"form-updated\",\"inputEnabled\":false,\"phase\":\"busy\"}\n"
                               "{\"event\":\"form-updated\",\"inputEnabled\":true,\"phase\":\"error\"}\n");
}

TEST(FormDispatch, ExercisesTheFormOnlyInSmokeRunsWithAShownForm)
{
    FormRun run(true);
    run.dispatcher.receive(R"({"type":"exercise-form","action":"cancel"})");
    EXPECT_EQ(run.events.text, protocolError) << "no form shown yet";
    EXPECT_EQ(run.form.closeRequests, 0);
    run.dispatcher.receive(formLine("setup", "/p"));
    run.events.text.clear();

    const std::vector<std::pair<const char*, std::string>> refused = {
        {"neither action nor key", R"({"type":"exercise-form"})"},
        {"unknown action", R"({"type":"exercise-form","action":"submit"})"},
        {"numeric key", R"({"type":"exercise-form","accessKey":5})"},
        {"null key", R"({"type":"exercise-form","accessKey":null})"},
    };
    for (const auto& [situation, line] : refused) {
        run.dispatcher.receive(line);
        EXPECT_EQ(run.events.text, protocolError) << situation;
        run.events.text.clear();
    }
    run.dispatcher.receive(R"({"type":"exercise-form","action":"cancel"})");
    run.dispatcher.receive(R"({"type":"exercise-form","accessKey":"k-123"})");
    run.dispatcher.receive(R"({"type":"exercise-form","action":"other","accessKey":""})");
    EXPECT_EQ(run.events.text, "");
    EXPECT_EQ(run.form.closeRequests, 1);
    EXPECT_EQ(run.form.submitted, (std::vector<std::string>{"k-123", ""}));
}

} // namespace
} // namespace corvane
