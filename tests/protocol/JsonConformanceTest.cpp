// The JSON parsing corpus: every y_ file accepted, every n_ file refused, nothing crashes.
#include "JsonText.h"
#include "TrayStateDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace corvane {
namespace {

namespace fs = std::filesystem;

const fs::path corpus = fs::path(CORVANE_CONFORMANCE_DIR) / "json" / "test_parsing";

// The corpus files whose names start with `prefix`, sorted, with their bytes.
std::vector<std::pair<std::string, std::string>> corpusFiles(const std::string& prefix)
{
    std::vector<std::pair<std::string, std::string>> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(corpus)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) == 0 && entry.path().extension() == ".json") {
            std::ifstream stream(entry.path(), std::ios::binary);
            std::ostringstream bytes;
            bytes << stream.rdbuf();
            files.emplace_back(name, bytes.str());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Decodes text; with <nlohmann/json.hpp> included a std::string argument would match both overloads.
std::optional<TrayState> decodeText(std::string_view text)
{
    return decodeTrayState(text);
}

// A valid tray state that carries `value` under a key the decoder does not know.
std::string embedded(const std::string& value)
{
    return R"({"status":"ready","iconStatus":"ready","tooltip":"","menu":[{"id":"a","text":"a","enabled":true}],"x":)" +
           value + "}";
}

class JsonConformance : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!fs::is_directory(corpus)) {
            GTEST_SKIP() << "JSON parsing corpus not found at " << corpus << " (set CORVANE_CONFORMANCE_DIR)";
        }
    }
};

TEST_F(JsonConformance, AcceptsEveryValidTextAloneAndAsAnUnknownMember)
{
    const auto files = corpusFiles("y_");
    ASSERT_GT(files.size(), 50u);
    for (const auto& [name, bytes] : files) {
        EXPECT_TRUE(parseJson(bytes)) << name;
        EXPECT_TRUE(decodeText(embedded(bytes))) << name << " embedded";
    }
    EXPECT_TRUE(decodeText(embedded("null"))) << "the wrapper itself must decode";
}

TEST_F(JsonConformance, RefusesEveryInvalidTextAndSurvivesItEmbedded)
{
    const auto files = corpusFiles("n_");
    ASSERT_GT(files.size(), 100u);
    for (const auto& [name, bytes] : files) {
        // n_multidigit_number_then_00 is "123" and a NUL byte, which the parser alone takes for the end.
        EXPECT_FALSE(parseJson(bytes)) << name;
        EXPECT_FALSE(decodeText(bytes)) << name;
        // Some are invalid only as a whole text (a lone scalar, say), so only survival is required here.
        [[maybe_unused]] const bool decoded = decodeText(embedded(bytes)).has_value();
    }
}

TEST_F(JsonConformance, SurvivesEveryImplementationDefinedText)
{
    const auto files = corpusFiles("i_");
    ASSERT_FALSE(files.empty());
    std::string acceptedAlone;
    std::string acceptedEmbedded;
    for (const auto& [name, bytes] : files) {
        if (parseJson(bytes)) {
            acceptedAlone += name + " ";
        }
        if (decodeText(embedded(bytes))) {
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
