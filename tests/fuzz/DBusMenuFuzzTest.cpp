// Replays the stored inputs of the menu export's fuzz harness (fuzz/corpus/dbus_menu and
// fuzz/regressions/dbus_menu) with the normal compiler, so every finding stays fixed without libFuzzer.
#include "DBusMenuHarness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace corvane::fuzz {
namespace {

namespace fs = std::filesystem;

int replay(const char* folder)
{
    int count = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(fs::path(CORVANE_FUZZ_DIR) / folder / "dbus_menu")) {
        std::ifstream stream(entry.path(), std::ios::binary);
        std::ostringstream bytes;
        bytes << stream.rdbuf();
        EXPECT_EQ(runDBusMenu(bytes.str()), "") << entry.path();
        ++count;
    }
    return count;
}

TEST(DBusMenuFuzz, EveryStoredInputKeepsTheInvariants)
{
    EXPECT_GT(replay("corpus"), 0);
    EXPECT_GT(replay("regressions"), 0);
}

} // namespace
} // namespace corvane::fuzz
