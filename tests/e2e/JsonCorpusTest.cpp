// The JSON parsing corpus through the real binary in the test desktop: a state carrying any valid text as
// an unknown member is applied, every piece of an invalid text is refused with exactly one reply, and an
// implementation-defined text gets exactly one reply either way; afterwards the process still applies
// states and ends cleanly, having written nothing to standard error.
#include "JsonCorpus.h"

#include "TestDesktop.h"
#include "TrayProgram.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace corvane::test {
namespace {

constexpr const char* applied = R"({"event":"state-applied","status":"ready"})";
constexpr const char* refused = R"({"event":"protocol-error"})";
constexpr std::size_t lineCap = 65536;

// The lines a text becomes on this protocol, where a line feed ends a line.
std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    if (start < text.size()) {
        lines.push_back(text.substr(start));
    }
    return lines;
}

class JsonCorpusThroughTheBinary : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(std::filesystem::is_directory(jsonCorpusFolder()))
            << "JSON parsing corpus not found at " << jsonCorpusFolder();
        m_desktop.startHost(CORVANE_TEST_HOST_PATH);
        startVisibleTray(m_tray, {.environment = desktopTrayEnvironment(m_desktop, identityOf('c'))});
        ASSERT_FALSE(HasFailure());
    }

    void TearDown() override
    {
        if (!m_tray) {
            return;
        }
        // Still answering, and ending cleanly with nothing on standard error.
        EXPECT_EQ(reply(stateCarrying("null")), applied);
        m_tray->closeStdin();
        EXPECT_EQ(m_tray->wait(patience), 0);
        EXPECT_EQ(m_tray->readAllStderr(patience), "");
    }

    std::string reply(const std::string& line)
    {
        EXPECT_TRUE(m_tray->writeStdin(line + "\n"));
        return nextLine(*m_tray);
    }

    TestDesktop m_desktop;
    std::optional<Process> m_tray;
};

TEST_F(JsonCorpusThroughTheBinary, AStateCarryingAnyValidTextIsApplied)
{
    const std::vector<CorpusText> files = jsonCorpusFiles("y_");
    ASSERT_GT(files.size(), 50u);
    for (CorpusText file : files) {
        // A line feed is whitespace there, as a space is; here it would end the line.
        std::replace(file.bytes.begin(), file.bytes.end(), '\n', ' ');
        EXPECT_EQ(reply(stateCarrying(file.bytes)), applied) << file.name;
    }
}

TEST_F(JsonCorpusThroughTheBinary, EveryLineOfAnInvalidTextIsRefusedOnce)
{
    const std::vector<CorpusText> files = jsonCorpusFiles("n_");
    ASSERT_GT(files.size(), 100u);
    std::size_t lines = 0;
    for (const CorpusText& file : files) {
        for (const std::string& line : linesOf(file.bytes)) {
            // Lines over the cap end the input for good; they are covered by the framing tests.
            if (line.size() <= lineCap) {
                EXPECT_EQ(reply(line), refused) << file.name;
                ++lines;
            }
        }
    }
    EXPECT_GT(lines, files.size());
}

TEST_F(JsonCorpusThroughTheBinary, AnImplementationDefinedTextGetsOneReplyAloneAndCarried)
{
    const std::vector<CorpusText> files = jsonCorpusFiles("i_");
    ASSERT_FALSE(files.empty());
    for (CorpusText file : files) {
        std::replace(file.bytes.begin(), file.bytes.end(), '\n', ' ');
        // None is a tray state alone; carried, the parser decides, but there is exactly one reply.
        EXPECT_EQ(reply(file.bytes), refused) << file.name;
        const std::string carried = reply(stateCarrying(file.bytes));
        EXPECT_TRUE(carried == applied || carried == refused) << file.name << ": " << carried;
    }
}

} // namespace
} // namespace corvane::test
