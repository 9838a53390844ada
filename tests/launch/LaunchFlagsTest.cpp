// Flag detection and mode precedence of the command line.
#include "launch/LaunchFlags.h"

#include <gtest/gtest.h>

#include <vector>

namespace corvane {
namespace {

LaunchFlags parse(std::vector<const char*> arguments)
{
    return LaunchFlags::parse(arguments);
}

TEST(LaunchFlags, MatchesWholeArgumentsAnywhereIncludingProgramPath)
{
    EXPECT_TRUE(parse({"form"}).form);
    EXPECT_TRUE(parse({"corvane-tray", "x", "--smoke", "y"}).smoke);
    EXPECT_TRUE(parse({"--self-test"}).selfTest);
    EXPECT_EQ(parse({"choose-folder", "form", "choose-folder"}).mode(), LaunchMode::ChooseFolder);
}

TEST(LaunchFlags, LookalikesSelectNothing)
{
    for (const char* lookalike : {"---self-test", "--Self-Test", "FORM", "form=1", "--form", "choose-folder ", "-smoke",
                                  "--smoke=1", "", "formchoose-folder"}) {
        const LaunchFlags flags = parse({"corvane-tray", lookalike});
        EXPECT_EQ(flags.mode(), LaunchMode::Tray) << lookalike;
        EXPECT_FALSE(flags.smoke) << lookalike;
    }
}

TEST(LaunchFlags, ModePrecedenceAndLockMode)
{
    struct Case {
        std::vector<const char*> arguments;
        LaunchMode mode;
        bool formLock;
    };
    const std::vector<Case> cases = {
        {{"corvane-tray"}, LaunchMode::Tray, false},
        {{"corvane-tray", "--smoke"}, LaunchMode::Tray, false},
        {{"corvane-tray", "form"}, LaunchMode::Form, true},
        {{"corvane-tray", "choose-folder"}, LaunchMode::ChooseFolder, true},
        {{"corvane-tray", "form", "choose-folder"}, LaunchMode::ChooseFolder, true},
        {{"corvane-tray", "form", "choose-folder", "--self-test"}, LaunchMode::SelfTest, true},
    };
    for (const Case& item : cases) {
        const LaunchFlags flags = parse(item.arguments);
        EXPECT_EQ(flags.mode(), item.mode);
        EXPECT_EQ(flags.usesFormLock(), item.formLock);
    }
}

TEST(LaunchFlags, EmptyArgumentVectorIsTrayMode)
{
    EXPECT_EQ(parse({}).mode(), LaunchMode::Tray);
}

} // namespace
} // namespace corvane
