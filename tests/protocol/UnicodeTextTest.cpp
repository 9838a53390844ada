// Display cuts by extended grapheme clusters and canonical forms, checked against the Unicode data files.
#include "protocol/UnicodeText.h"

#include <gtest/gtest.h>
#include <unicode/utf8.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace corvane {
namespace {

const char* const graphemeBreakTest = "/usr/share/unicode/auxiliary/GraphemeBreakTest.txt";
const char* const normalizationTest = "/usr/share/unicode/NormalizationTest.txt.bz2";

void appendUtf8(std::string& out, char32_t c)
{
    std::array<char, U8_MAX_LENGTH> bytes{};
    std::size_t length = 0;
    U8_APPEND_UNSAFE(bytes.data(), length, c);
    out.append(bytes.data(), length);
}

// "0044 0307" as UTF-8.
std::string utf8FromHex(const std::string& field)
{
    std::istringstream words(field);
    std::string word;
    std::string text;
    while (words >> word) {
        appendUtf8(text, static_cast<char32_t>(std::stoul(word, nullptr, 16)));
    }
    return text;
}

// The clusters of one test line ("÷ 0020 × 0308 ÷ 0020 ÷"), or nothing for comments and blank lines.
std::vector<std::string> clustersOf(const std::string& line)
{
    std::istringstream words(line.substr(0, line.find('#')));
    std::vector<std::string> clusters;
    std::string word;
    std::string current;
    while (words >> word) {
        if (word == "\xC3\xB7") { // ÷
            if (!current.empty()) {
                clusters.push_back(current);
            }
            current.clear();
        } else if (word != "\xC3\x97") { // not ×
            appendUtf8(current, static_cast<char32_t>(std::stoul(word, nullptr, 16)));
        }
    }
    return clusters;
}

TEST(FirstCharacters, CutsEveryUnicodeBreakTestLineAtEachClusterBoundary)
{
    std::ifstream file(graphemeBreakTest);
    ASSERT_TRUE(file.is_open()) << graphemeBreakTest
                                << " is absent (Debian package unicode-data, scripts/install-deps)";
    int lines = 0;
    int failures = 0;
    std::string line;
    while (std::getline(file, line)) {
        const std::vector<std::string> clusters = clustersOf(line);
        if (clusters.empty()) {
            continue;
        }
        ++lines;
        std::string text;
        for (const std::string& cluster : clusters) {
            text += cluster;
        }
        std::string expected;
        for (std::size_t count = 0; count <= clusters.size() + 1; ++count) {
            if (count > 0 && count <= clusters.size()) {
                expected += clusters[count - 1];
            }
            const std::string_view cut = firstCharacters(text, count);
            if ((cut != expected || cut.data() != text.data()) && ++failures <= 5) {
                ADD_FAILURE() << "line " << line.substr(0, line.find('#')) << "\n  count " << count << " gave "
                              << testing::PrintToString(std::string(cut)) << ", expected "
                              << testing::PrintToString(expected);
            }
        }
    }
    EXPECT_GT(lines, 500);
    EXPECT_EQ(failures, 0);
}

TEST(FirstCharacters, CutsAsciiAndMixedTextsAtClusterBoundaries)
{
    struct Case {
        std::string text;
        std::size_t count;
        std::string expected;
    };
    const std::array<Case, 16> cases = {{
        {"", 0, ""},
        {"", 3, ""},
        {"abc", 0, ""},
        {"abc", 2, "ab"},
        {"abc", 3, "abc"},
        {"abc", 99, "abc"},
        {"\r\n", 1, "\r\n"},
        {"a\r\nb", 2, "a\r\n"},
        {"\n\r", 1, "\n"},
        {"\r\r\n", 2, "\r\r\n"},
        {"a\xCC\x81", 1, "a\xCC\x81"}, // a + combining acute stays one character
        {"ab\xCC\x81"
         "c",
         2, "ab\xCC\x81"}, // the mark joins the last ASCII letter before it
        {"e\xCC\x81"
         "e\xCC\x81",
         1, "e\xCC\x81"},
        {"x\xE2\x80\x8D"
         "y",
         1, "x\xE2\x80\x8D"}, // ZWJ extends, but does not join two letters
        {"\xF0\x9F\x87\xAB\xF0\x9F\x87\xB7"
         "a",
         1, "\xF0\x9F\x87\xAB\xF0\x9F\x87\xB7"},
        {"\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x92\xBB!", 1, "\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x92\xBB"},
    }};
    for (const Case& c : cases) {
        EXPECT_EQ(firstCharacters(c.text, c.count), c.expected)
            << testing::PrintToString(c.text) << " cut at " << c.count;
    }
}

TEST(CanonicalForm, MatchesEveryUnicodeNormalizationTestLine)
{
    ASSERT_TRUE(std::filesystem::exists(normalizationTest))
        << normalizationTest << " is absent (Debian package unicode-data, scripts/install-deps)";
    FILE* pipe = ::popen((std::string("bzcat ") + normalizationTest).c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    int lines = 0;
    int failures = 0;
    std::array<char, 1024> buffer{};
    while (std::fgets(buffer.data(), static_cast<int>(buffer.size()), pipe)) {
        const std::string line = buffer.data();
        if (line.empty() || line[0] == '#' || line[0] == '@') {
            continue;
        }
        std::array<std::string, 5> columns;
        std::istringstream fields(line);
        for (std::string& column : columns) {
            std::string field;
            std::getline(fields, field, ';');
            column = utf8FromHex(field);
        }
        ++lines;
        const std::string& c2 = columns[1];
        const std::string& c4 = columns[3];
        const std::array<std::pair<std::size_t, const std::string*>, 5> checks = {
            {{0, &c2}, {1, &c2}, {2, &c2}, {3, &c4}, {4, &c4}}};
        for (const auto& [column, expected] : checks) {
            if (canonicalForm(columns[column]) != *expected && ++failures <= 5) {
                ADD_FAILURE() << "line " << line.substr(0, line.find('#')) << "  column c" << column + 1;
            }
        }
    }
    EXPECT_EQ(::pclose(pipe), 0);
    EXPECT_GT(lines, 10000);
    EXPECT_EQ(failures, 0);
}

TEST(CanonicalForm, ComposesCanonicalAndLeavesCompatibilityEquivalents)
{
    const std::array<std::pair<std::string, std::string>, 7> cases = {{
        {"", ""},
        {"plain ascii/\r\n", "plain ascii/\r\n"},
        {"e\xCC\x81", "\xC3\xA9"},
        {"\xE2\x84\xAB", "\xC3\x85"},                  // ANGSTROM SIGN
        {"\xE1\x84\x80\xE1\x85\xA1", "\xEA\xB0\x80"},  // jamo to Hangul syllable
        {"\xEF\xAC\x81", "\xEF\xAC\x81"},              // ligature fi is not canonically "fi"
        {"a\xCC\x87\xCC\xA3", "\xE1\xBA\xA1\xCC\x87"}, // marks reordered by combining class, then composed
    }};
    for (const auto& [text, form] : cases) {
        EXPECT_EQ(canonicalForm(text), form) << testing::PrintToString(text);
    }
}

} // namespace
} // namespace corvane
