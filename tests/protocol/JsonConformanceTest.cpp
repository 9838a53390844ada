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

// A line is read in one pass, mostly without nlohmann's parser; parsing it and decoding the value is the
// reference: the same verdict on whether it is JSON, the same state, the same tooltip.
void expectReadAsParsed(const std::string& text, const std::string& name)
{
    const TrayLine line = decodeTrayLine(text);
    const std::optional<nlohmann::json> value = parseJson(text);
    EXPECT_EQ(line.isJson, value.has_value()) << name;
    const std::optional<TrayState> reference = value ? trayStateFromJson(*value) : std::nullopt;
    ASSERT_EQ(line.state.has_value(), reference.has_value()) << name;
    if (reference) {
        EXPECT_EQ(line.state->tooltip, reference->tooltip) << name;
        EXPECT_EQ(line.state->menu.size(), reference->menu.size()) << name;
    }
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

TEST_F(JsonConformance, ReadsEveryTextAsParsingItDoes)
{
    std::size_t tooltips = 0;
    for (const char* prefix : {"y_", "n_", "i_"}) {
        for (const auto& [name, bytes] : jsonCorpusFiles(prefix)) {
            expectReadAsParsed(bytes, name);
            expectReadAsParsed(stateCarrying(bytes), name + " embedded");
            if (const std::optional<std::string> state = tooltipCarrying(bytes)) {
                expectReadAsParsed(*state, name + " as the tooltip");
                ++tooltips;
            }
        }
    }
    EXPECT_GT(tooltips, 50u) << "the string cases must be read as tooltips";
}

} // namespace
} // namespace corvane
