// The demo's small pieces: the command line, expectations, transcript lines, identities and the private
// directory of its launches.
#include "DemoOptions.h"
#include "DemoTranscript.h"
#include "Expectation.h"
#include "InstanceIdentity.h"
#include "Transcript.h"
#include "TrayLauncher.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace corvane::demo {
namespace {

using nlohmann::json;

std::optional<DemoOptions> parse(std::vector<const char*> arguments)
{
    return parseDemoOptions(arguments, "/default/corvane-tray");
}

TEST(DemoOptions, DefaultsAndEveryOption)
{
    const DemoOptions defaults = *parse({});
    EXPECT_EQ(defaults.trayProgram, "/default/corvane-tray");
    EXPECT_FALSE(defaults.unattended);
    EXPECT_EQ(defaults.timeout, std::chrono::milliseconds(20000));
    EXPECT_EQ(defaults.snapshotCommand, "");
    EXPECT_FALSE(defaults.help);

    const DemoOptions all =
        *parse({"--unattended", "--tray", "/x/tray", "--timeout-ms", "250", "--snapshot-command", "snap", "--help"});
    EXPECT_EQ(all.trayProgram, "/x/tray");
    EXPECT_TRUE(all.unattended);
    EXPECT_EQ(all.timeout, std::chrono::milliseconds(250));
    EXPECT_EQ(all.snapshotCommand, "snap");
    EXPECT_TRUE(all.help);
}

TEST(DemoOptions, RefusesWhatItCannotUse)
{
    for (const std::vector<const char*>& arguments : std::vector<std::vector<const char*>>{{"--bogus"},
                                                                                           {"--tray"},
                                                                                           {"--timeout-ms"},
                                                                                           {"--timeout-ms", "0"},
                                                                                           {"--timeout-ms", "-5"},
                                                                                           {"--timeout-ms", "12x"},
                                                                                           {"--timeout-ms", ""},
                                                                                           {"unattended"}}) {
        EXPECT_THROW(parse(arguments), std::invalid_argument) << arguments.front();
    }
}

TEST(DemoOptions, UnattendedWhenThereIsNoDisplay)
{
    EXPECT_TRUE(chooseUnattended(nullptr, nullptr));
    EXPECT_TRUE(chooseUnattended("", ""));
    EXPECT_FALSE(chooseUnattended(":0", nullptr));
    EXPECT_FALSE(chooseUnattended(nullptr, "wayland-0"));
}

TEST(Expectation, MatchesTheChildTheNameAndEveryGivenMember)
{
    const Expectation menu = Expectation::event("tray", "menu", {{"action", "pause"}});
    EXPECT_TRUE(menu.matchesEvent("tray", {{"action", "pause"}, {"event", "menu"}}));
    EXPECT_FALSE(menu.matchesEvent("form", {{"action", "pause"}, {"event", "menu"}}));
    EXPECT_FALSE(menu.matchesEvent("tray", {{"action", "resume"}, {"event", "menu"}}));
    EXPECT_FALSE(menu.matchesEvent("tray", {{"event", "menu"}}));
    EXPECT_FALSE(menu.matchesEvent("tray", json::parse("not json", nullptr, false)));
    EXPECT_FALSE(menu.matchesExit("tray", 0));
    EXPECT_TRUE(Expectation::event("form", "submit").matchesEvent("form", {{"event", "submit"}, {"accessKey", "k"}}));
    // A null member must be null, not merely absent.
    const Expectation chosen = Expectation::event("folder", "folder-result", {{"projectRoot", nullptr}});
    EXPECT_FALSE(chosen.matchesEvent("folder", {{"event", "folder-result"}}));
    EXPECT_FALSE(chosen.matchesEvent("folder", {{"event", "folder-result"}, {"projectRoot", "/p"}}));
}

TEST(Expectation, ExitsMatchTheStatusAndDescribeThemselves)
{
    const Expectation exit = Expectation::exit("form", 0);
    EXPECT_TRUE(exit.matchesExit("form", 0));
    EXPECT_FALSE(exit.matchesExit("form", 1));
    EXPECT_FALSE(exit.matchesExit("tray", 0));
    EXPECT_FALSE(exit.matchesEvent("form", {{"event", "exit"}}));
    EXPECT_EQ(exit.describe(), "form exit 0");
    EXPECT_EQ(Expectation::event("tray", "menu", {{"action", "quit"}}).describe(),
              R"(tray {"action":"quit","event":"menu"})");
}

TEST(Transcript, PadsTheNameAndReadsBack)
{
    std::ostringstream out;
    Transcript transcript(out);
    transcript.line("tray", '>', R"({"event":"ready"})");
    transcript.line("folder", '=', "exit 0");
    transcript.note("a note");
    EXPECT_EQ(out.str(), "tray   > {\"event\":\"ready\"}\nfolder = exit 0\ndemo   # a note\n");
    const std::vector<test::TranscriptLine> lines = test::parseTranscript(out.str());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].who, "folder");
    EXPECT_EQ(lines[1].kind, '=');
    EXPECT_EQ(lines[1].text, "exit 0");
    EXPECT_THROW(test::parseTranscript("tray > misaligned\n"), std::invalid_argument);
}

TEST(InstanceIdentity, IsSixtyFourLowercaseHexDigitsAndFreshEachTime)
{
    const std::regex shape("[0-9a-f]{64}");
    const std::string first = newInstanceIdentity();
    const std::string second = newInstanceIdentity();
    EXPECT_TRUE(std::regex_match(first, shape)) << first;
    EXPECT_TRUE(std::regex_match(second, shape)) << second;
    EXPECT_NE(first, second);
}

TEST(TrayLauncher, EachLaunchGetsItsOwnMarkerInAnOwnerOnlyDirectoryThatGoesWithItsContents)
{
    std::filesystem::path kept;
    {
        TrayLauncher launcher("/x/corvane-tray");
        kept = launcher.directory();
        EXPECT_EQ(std::filesystem::status(kept).permissions() & std::filesystem::perms::all,
                  std::filesystem::perms::owner_all);
        const TrayLauncher::Launch first = launcher.prepare("form", {"form", "--smoke"}, {{"EXTRA", "1"}});
        const TrayLauncher::Launch second = launcher.prepare("form", {"form"});
        EXPECT_EQ(first.argv, (std::vector<std::string>{"/x/corvane-tray", "form", "--smoke"}));
        EXPECT_EQ(first.marker.parent_path(), kept);
        EXPECT_NE(first.marker, second.marker);
        EXPECT_EQ(first.environment.value(QStringLiteral("CORVANE_UI_READY_MARKER")).toStdString(),
                  first.marker.string());
        EXPECT_EQ(first.environment.value(QStringLiteral("CORVANE_TRAY_INSTANCE_ID")).toStdString(),
                  launcher.identity());
        EXPECT_EQ(first.environment.value(QStringLiteral("EXTRA")), QStringLiteral("1"));
        EXPECT_FALSE(second.environment.contains(QStringLiteral("EXTRA")));
        std::filesystem::create_directory(kept / "inner");
        std::ofstream(first.marker) << "1.5\n";
    }
    EXPECT_FALSE(std::filesystem::exists(kept));
}

} // namespace
} // namespace corvane::demo
