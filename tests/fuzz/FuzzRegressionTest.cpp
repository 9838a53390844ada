// Replays every stored fuzz input through its harness, and checks that the harnesses' own event-line check
// catches malformed lines (a check that passed everything would make the fuzzing worthless).
#include "FuzzHarness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace corvane::fuzz {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& file)
{
    std::ifstream stream(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << stream.rdbuf();
    return bytes.str();
}

// Runs every file under fuzz/<folder>/<target>; answers how many ran.
int replay(const Target& target, const char* folder)
{
    const fs::path directory = fs::path(CORVANE_FUZZ_DIR) / folder / target.name;
    int count = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(directory)) {
        EXPECT_EQ(target.run(contents(entry.path())), "") << entry.path();
        ++count;
    }
    return count;
}

TEST(FuzzRegression, EveryStoredFindingAndSeedKeepsItsInvariants)
{
    ASSERT_EQ(targets().size(), 4u);
    for (const Target& target : targets()) {
        EXPECT_GT(replay(target, "regressions"), 0) << target.name;
        EXPECT_GT(replay(target, "corpus"), 0) << target.name;
    }
}

TEST(FuzzRegression, TargetsAreFoundByName)
{
    EXPECT_EQ(harness("tray_state"), &runTrayState);
    EXPECT_EQ(harness("nothing"), nullptr);
}

TEST(FuzzRegression, EventLineCheckAcceptsTheWritersLines)
{
    EXPECT_EQ(checkEventLine("{\"event\":\"ready\"}\n"), "");
    EXPECT_EQ(checkEventLine("{\"action\":\"a\\/b\\n\",\"event\":\"menu\"}\n"), "");
    EXPECT_EQ(checkEventLine("{\"event\":\"form-updated\",\"inputEnabled\":false,\"phase\":\"busy\"}\n"), "");
}

TEST(FuzzRegression, EventLineCheckRefusesEveryMalformedLine)
{
    for (const char* line : {
             "{\"event\":\"ready\"}",                     // no line feed
             "{\"event\":\"ready\"}\n\n",                 // two
             "{\"event\":\n\"ready\"}\n",                 // one inside
             "[\"event\"]\n",                             // not an object
             "{\"name\":\"ready\"}\n",                    // no event
             "{\"event\":1}\n",                           // event not a string
             "{\"event\":\"menu\",\"action\":\"x\"}\n",   // keys out of order
             "{\"event\":\"menu\",\"event\":\"menu\"}\n", // duplicate key
             "{\"count\":1,\"event\":\"x\"}\n",           // number value
             "{\"event\":\"x\",\"rows\":[]}\n",           // array value
             "{\"action\":\"a/b\",\"event\":\"menu\"}\n", // "/" not escaped as the writer does
             "{ \"event\":\"ready\"}\n",                  // white space
         }) {
        EXPECT_NE(checkEventLine(line), "") << line;
    }
}

} // namespace
} // namespace corvane::fuzz
