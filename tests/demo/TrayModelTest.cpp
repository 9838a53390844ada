// The demo's tray states and its unattended scenario against the protocol's schemas: every line it can
// send is one the schemas accept, and the scenario picks rows the model really has.
#include "TrayModel.h"

#include "SchemaCheck.h"
#include "SmokeScenario.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>

namespace corvane::demo {
namespace {

using nlohmann::json;

// Every row of the menu, children included.
std::vector<json> rows(const json& state)
{
    std::vector<json> all;
    for (const json& row : state.at("menu")) {
        all.push_back(row);
        for (const json& child : row.value("children", json::array())) {
            all.push_back(child);
        }
    }
    return all;
}

std::optional<json> row(const json& state, const std::string& id)
{
    for (const json& entry : rows(state)) {
        if (entry.at("id") == id) {
            return entry;
        }
    }
    return std::nullopt;
}

TrayModel model(TrayModel::Status status, std::string root = "/home/user/项目", bool keySet = false)
{
    TrayModel result;
    result.status = status;
    result.projectRoot = std::move(root);
    result.keySet = keySet;
    return result;
}

TEST(TrayModel, EveryStateIsAValidTrayStateLine)
{
    for (const TrayModel::Status status :
         {TrayModel::Status::Busy, TrayModel::Status::Ready, TrayModel::Status::Suspended}) {
        for (const bool keySet : {false, true}) {
            const std::string line = model(status, "/p", keySet).line();
            EXPECT_EQ(test::schemaFaults({line}), "");
            EXPECT_EQ(line.find('\n'), std::string::npos);
            const json state = json::parse(line);
            EXPECT_EQ(state.at("status"), TrayModel::word(status));
            EXPECT_EQ(state.at("iconStatus"), TrayModel::word(status));
            std::set<std::string> ids;
            for (const json& entry : rows(state)) {
                EXPECT_TRUE(ids.insert(entry.at("id").get<std::string>()).second) << entry.dump();
            }
            EXPECT_LE(ids.size(), 32u);
        }
    }
}

TEST(TrayModel, PauseRowFollowsTheStatus)
{
    const json busy = model(TrayModel::Status::Busy).state();
    EXPECT_EQ(row(busy, "pause")->at("enabled"), false);
    const json ready = model(TrayModel::Status::Ready).state();
    EXPECT_EQ(row(ready, "pause")->at("text"), "暂停");
    EXPECT_EQ(row(ready, "pause")->at("action"), "pause");
    EXPECT_EQ(row(ready, "pause")->at("enabled"), true);
    const json paused = model(TrayModel::Status::Suspended).state();
    EXPECT_EQ(row(paused, "pause")->at("text"), "继续");
    EXPECT_EQ(row(paused, "pause")->at("action"), "resume");
}

TEST(TrayModel, MenuHasASubmenuSeparatorsAndADisabledRow)
{
    const json state = model(TrayModel::Status::Ready).state();
    const std::optional<json> more = row(state, "more");
    ASSERT_TRUE(more);
    EXPECT_FALSE(more->contains("action"));
    EXPECT_EQ(more->at("children").size(), 3u);
    EXPECT_EQ(row(state, "about")->at("enabled"), false);
    EXPECT_EQ(row(state, "sep-1")->at("separator"), true);
    EXPECT_EQ(row(state, "quit")->at("text"), "退出");
    EXPECT_EQ(row(state, "access-key")->at("text"), "设置 Access Key…");
    EXPECT_EQ(row(state, "choose-folder")->at("text"), "选择项目目录…");
}

TEST(TrayModel, TooltipShowsTheFolderAndTheKeyState)
{
    EXPECT_EQ(model(TrayModel::Status::Ready, "/srv/a", false).state().at("tooltip"),
              "Corvane 已连接\n项目：/srv/a\nAccess Key：未设置");
    EXPECT_EQ(model(TrayModel::Status::Suspended, "", true).state().at("tooltip"),
              "Corvane 已暂停\n项目：（未选择）\nAccess Key：已设置");
}

TEST(TrayModel, AFolderNameThatIsNotUtf8StillMakesAValidLine)
{
    const std::string line = model(TrayModel::Status::Ready, "/srv/\xff\xfe").line();
    EXPECT_EQ(test::schemaFaults({line}), "");
    EXPECT_NE(line.find("/srv/\xEF\xBF\xBD\xEF\xBF\xBD"), std::string::npos);
}

TEST(SmokeScenario, EveryLineItSendsIsOneTheSchemasAccept)
{
    std::vector<std::string> sent;
    for (const SmokeStep& step : smokeScenario(true)) {
        if (const auto* send = std::get_if<SmokeStep::Send>(&step.action)) {
            sent.push_back(send->line);
        }
        EXPECT_FALSE(step.expected.empty()) << step.title;
    }
    EXPECT_EQ(test::schemaFaults(sent), "");
}

TEST(SmokeScenario, PicksRowsTheMenuHasAndExpectsARefusalExactlyForTheDisabledOne)
{
    const json state = model(TrayModel::Status::Ready).state();
    for (const SmokeStep& step : smokeScenario(false)) {
        const auto* send = std::get_if<SmokeStep::Send>(&step.action);
        if (!send || send->child != "tray") {
            continue;
        }
        const std::string id = json::parse(send->line).at("exerciseMenu");
        const std::optional<json> picked = row(state, id);
        ASSERT_TRUE(picked) << id;
        const bool refusal = step.expected.front().describe() == R"(tray {"event":"protocol-error"})";
        EXPECT_EQ(refusal, !picked->at("enabled").get<bool>()) << id;
    }
}

TEST(SmokeScenario, SnapshotsOnlyWhenAsked)
{
    const auto snapshots = [](const std::vector<SmokeStep>& steps) {
        return std::count_if(steps.begin(), steps.end(), [](const SmokeStep& step) {
            return std::holds_alternative<SmokeStep::Snapshot>(step.action);
        });
    };
    EXPECT_EQ(snapshots(smokeScenario(true)), 2);
    EXPECT_EQ(snapshots(smokeScenario(false)), 0);
    EXPECT_EQ(smokeScenario(true).size(), smokeScenario(false).size() + 2);
}

} // namespace
} // namespace corvane::demo
