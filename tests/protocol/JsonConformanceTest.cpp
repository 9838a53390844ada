// The JSON parsing corpus: every y_ file accepted, every n_ file refused, nothing crashes.
#include "JsonCorpus.h"
#include "protocol/JsonText.h"
#include "protocol/TrayStateDecoder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
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

// A corpus text that is an array of one string (most string cases are), with that string as a tooltip.
std::optional<std::string> tooltipCarrying(const std::string& bytes)
{
    if (bytes.size() < 4 || !bytes.starts_with("[\"") || !bytes.ends_with("\"]")) {
        return std::nullopt;
    }
    return R"({"status":"ready","iconStatus":"ready","menu":[{"id":"a","text":"a","enabled":true}],"tooltip":)" +
           bytes.substr(1, bytes.size() - 2) + "}";
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

// Every corpus text as an unknown member, and every string case as the tooltip: decoded exactly when the
// whole line parses, and the tooltip is the string the parser reads.
TEST_F(JsonConformance, DecodesEveryEmbeddedTextExactlyWhenTheLineParses)
{
    std::size_t tooltips = 0;
    for (const char* prefix : {"y_", "n_", "i_"}) {
        for (const auto& [name, bytes] : jsonCorpusFiles(prefix)) {
            const std::string embedded = stateCarrying(bytes);
            EXPECT_EQ(decodeText(embedded).has_value(), parseJson(embedded).has_value()) << name;
            const std::optional<std::string> line = tooltipCarrying(bytes);
            if (!line) {
                continue;
            }
            ++tooltips;
            const std::optional<TrayState> state = decodeText(*line);
            const std::optional<nlohmann::json> value = parseJson(*line);
            ASSERT_EQ(state.has_value(), value.has_value()) << name << " as the tooltip";
            if (state) {
                EXPECT_EQ(state->tooltip, value->at("tooltip").get<std::string>()) << name << " as the tooltip";
            }
        }
    }
    EXPECT_GT(tooltips, 50U) << "the string cases must be read as tooltips";
}

} // namespace
} // namespace corvane
