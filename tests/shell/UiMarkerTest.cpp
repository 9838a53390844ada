// The UI-visible marker file: written once, atomically, 0600, never over anything that exists.
#include "shell/UiMarker.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {
namespace {

namespace fs = std::filesystem;

class UiMarker : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/corvane-marker-test-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_directory = pattern;
        m_path = m_directory / "ready";
        ::setenv("CORVANE_UI_READY_MARKER", m_path.c_str(), 1);
    }

    void TearDown() override
    {
        ::unsetenv("CORVANE_UI_READY_MARKER");
        fs::remove_all(m_directory);
    }

    static std::string read(const fs::path& path)
    {
        std::ifstream stream(path, std::ios::binary);
        std::ostringstream content;
        content << stream.rdbuf();
        return content.str();
    }

    // Runs markUIVisible and answers what it wrote to standard error.
    static std::string markCapturingStderr()
    {
        testing::internal::CaptureStderr();
        markUIVisible();
        return testing::internal::GetCapturedStderr();
    }

    fs::path m_directory;
    fs::path m_path;
};

TEST(MarkerContent, IsShortestDecimalWithFractionAndLineFeed)
{
    EXPECT_EQ(markerContent(1765165544.25), "1765165544.25\n");
    EXPECT_EQ(markerContent(1765165544.0), "1765165544.0\n");
    EXPECT_EQ(std::stod(markerContent(1765165544.123456)), 1765165544.123456);
}

TEST_F(UiMarker, FirstCallWritesOneLineWithOwnerOnlyPermissions)
{
    ::umask(0);
    EXPECT_EQ(markCapturingStderr(), "");
    ::umask(022);
    const std::string content = read(m_path);
    ASSERT_FALSE(content.empty());
    EXPECT_EQ(content.back(), '\n');
    EXPECT_EQ(content.find('\n'), content.size() - 1);
    EXPECT_NE(content.find('.'), std::string::npos);
    const double seconds = std::stod(content);
    EXPECT_GT(seconds, 1.7e9);
    EXPECT_EQ(fs::status(m_path).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    // Nothing but the marker is left in the directory.
    EXPECT_EQ(std::distance(fs::directory_iterator(m_directory), fs::directory_iterator()), 1);
}

TEST_F(UiMarker, LaterCallsAndExistingFilesAreLeftAlone)
{
    {
        std::ofstream(m_path) << "earlier run";
    }
    fs::permissions(m_path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(markCapturingStderr(), "");
    EXPECT_EQ(read(m_path), "earlier run");
    EXPECT_EQ(fs::status(m_path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
}

TEST_F(UiMarker, DanglingSymlinkIsNotFollowedOrReplaced)
{
    const fs::path target = m_directory / "elsewhere";
    fs::create_symlink(target, m_path);
    EXPECT_EQ(markCapturingStderr(), "");
    EXPECT_TRUE(fs::is_symlink(m_path));
    EXPECT_FALSE(fs::exists(target));
}

TEST_F(UiMarker, AbsentOrEmptyVariableWritesNothing)
{
    ::setenv("CORVANE_UI_READY_MARKER", "", 1);
    EXPECT_EQ(markCapturingStderr(), "");
    ::unsetenv("CORVANE_UI_READY_MARKER");
    EXPECT_EQ(markCapturingStderr(), "");
    EXPECT_FALSE(fs::exists(m_path));
}

TEST_F(UiMarker, MissingDirectoryReportsOnEveryCallAndLeavesNothing)
{
    ::setenv("CORVANE_UI_READY_MARKER", (m_directory / "missing" / "ready").c_str(), 1);
    const std::string message = "Corvane could not update its UI visibility marker.\n";
    EXPECT_EQ(markCapturingStderr(), message);
    EXPECT_EQ(markCapturingStderr(), message);
}

TEST_F(UiMarker, UnwritableDirectoryReportsAndGoesOn)
{
    // Nobody, root included, can create files in /proc.
    ::setenv("CORVANE_UI_READY_MARKER", "/proc/corvane-ready", 1);
    EXPECT_EQ(markCapturingStderr(), "Corvane could not update its UI visibility marker.\n");
    EXPECT_FALSE(fs::exists("/proc/corvane-ready"));
}

} // namespace
} // namespace corvane
