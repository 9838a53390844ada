// Proves corvane-test-host against a bare Qt tray program on a private desktop: registration, properties,
// menu clicks, icon export, unregistration, and no tray without a watcher. Runs on the test thread.
#include "TestHost.h"

#include "Process.h"
#include "TestDesktop.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace corvane::test {
namespace {

using namespace std::chrono_literals;

constexpr auto timeout = 20s;

Process startBareTray(const TestDesktop& desktop)
{
    return Process({CORVANE_BARE_TRAY_PATH}, Process::Options{desktop.environment()});
}

std::vector<std::string> labels(const nlohmann::json& menu)
{
    std::vector<std::string> result;
    for (const nlohmann::json& node : menu) {
        result.push_back(node.at("label").get<std::string>());
    }
    return result;
}

TEST(TestHost, HostsABareQtTrayIcon)
{
    TestDesktop desktop;
    TestHost& host = desktop.startHost(CORVANE_TEST_HOST_PATH);
    Process tray = startBareTray(desktop);
    EXPECT_EQ(tray.readLine(timeout), "available true");
    EXPECT_EQ(tray.readLine(timeout), "shown");
    ASSERT_TRUE(host.awaitEvent("item-registered", timeout));

    const nlohmann::json items = host.request("items");
    ASSERT_EQ(items.at("items").size(), 1u);
    EXPECT_TRUE(items.at("items").at(0).get<std::string>().ends_with("/StatusNotifierItem"));

    const nlohmann::json dump = host.dump();
    EXPECT_EQ(dump.at("tooltip").at("title"), "hello");
    EXPECT_EQ(dump.at("menuPath"), "/MenuBar");
    EXPECT_FALSE(dump.at("iconPixmaps").empty());
    const nlohmann::json& menu = dump.at("menu");
    ASSERT_EQ(labels(menu), (std::vector<std::string>{"Greet", "Quit"}));

    const nlohmann::json click = host.request("click " + std::to_string(menu.at(0).at("id").get<int>()));
    EXPECT_TRUE(click.at("ok")) << click;
    EXPECT_EQ(tray.readLine(timeout), "clicked");

    const std::filesystem::path png = desktop.directory() / "icon.png";
    const nlohmann::json icon = host.request("icon " + png.string());
    EXPECT_TRUE(icon.at("ok")) << icon;
    EXPECT_GT(icon.value("width", 0), 0);
    EXPECT_TRUE(std::filesystem::exists(png));

    tray.terminate();
    EXPECT_TRUE(host.awaitEvent("item-unregistered", timeout));
    EXPECT_TRUE(host.request("items").at("items").empty());
}

TEST(TestHost, NoTrayWithoutAWatcher)
{
    TestDesktop desktop;
    Process tray = startBareTray(desktop);
    EXPECT_EQ(tray.readLine(timeout), "available false");
}

TEST(TestHost, SecondHostCannotTakeTheWatcherName)
{
    TestDesktop desktop;
    desktop.startHost(CORVANE_TEST_HOST_PATH);
    Process second({CORVANE_TEST_HOST_PATH}, Process::Options{desktop.environment()});
    EXPECT_EQ(second.wait(timeout), 1);
}

TEST(TestHost, CommandsWithoutAnItemFail)
{
    TestDesktop desktop;
    TestHost& host = desktop.startHost(CORVANE_TEST_HOST_PATH);
    const nlohmann::json reply = host.request("click 1");
    EXPECT_EQ(reply.at("reply"), "click");
    EXPECT_FALSE(reply.at("ok"));
    EXPECT_EQ(reply.at("error"), "no item registered");
    EXPECT_FALSE(host.request("frobnicate").at("ok"));
}

} // namespace
} // namespace corvane::test
