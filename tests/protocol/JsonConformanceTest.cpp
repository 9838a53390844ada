// The JSON parsing corpus: every y_ file accepted, every n_ file refused, nothing crashes.
#include "JsonCorpus.h"
#include "protocol/JsonText.h"
#include "protocol/TrayStateDecoder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace corvane {
namespace {

using test::jsonCorpusFiles;
using test::stateCarrying;

// Decodes text; with <nlohmann/json.hpp> included a std::string argument would match both overloads.
std::optional<TrayState> decodeText(std::string_view text)
{
    return decodeTrayState(text);
}

class JsonConformance : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(std::filesystem::is_directory(test::jsonCorpusFolder()))
            << "JSON parsing corpus not found at " << test::jsonCorpusFolder();
    }
};

TEST_F(JsonConformance, AcceptsEveryValidTextAloneAndAsAnUnknownMember)
{
    const auto files = jsonCorpusFiles("y_");
    ASSERT_GT(files.size(), 50u);
    for (const auto& [name, bytes] : files) {
        EXPECT_TRUE(parseJson(bytes)) << name;
        EXPECT_TRUE(decodeText(stateCarrying(bytes))) << name << " embedded";
    }
    EXPECT_TRUE(decodeText(stateCarrying("null"))) << "the wrapper itself must decode";
}

TEST_F(JsonConformance, RefusesEveryInvalidTextAndSurvivesItEmbedded)
{
    const auto files = jsonCorpusFiles("n_");
    ASSERT_GT(files.size(), 100u);
    for (const auto& [name, bytes] : files) {
        // n_multidigit_number_then_00 is "123" and a NUL byte, which the parser alone takes for the end.
        EXPECT_FALSE(parseJson(bytes)) << name;
        EXPECT_FALSE(decodeText(bytes)) << name;
        // Some are invalid only as a whole text (a lone scalar, say), so only survival is required here.
        [[maybe_unused]] const bool decoded = decodeText(stateCarrying(bytes)).has_value();
    }
}

TEST_F(JsonConformance, SurvivesEveryImplementationDefinedText)
{
    const auto files = jsonCorpusFiles("i_");
    ASSERT_FALSE(files.empty());
    std::string acceptedAlone;
    std::string acceptedEmbedded;
    for (const auto& [name, bytes] : files) {
        if (parseJson(bytes)) {
            acceptedAlone += name + " ";
        }
        if (decodeText(stateCarrying(bytes))) {
            acceptedEmbedded += name + " ";
        }
        EXPECT_FALSE(decodeText(bytes)) << name << " is no tray state";
    }
    // Kept out of the console; written to the XML report with --gtest_output=xml.
    RecordProperty("accepted_alone", acceptedAlone);
    RecordProperty("accepted_embedded", acceptedEmbedded);
}

} // namespace
} // namespace corvane
