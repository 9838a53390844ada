// The schemas against example corpora and against the protocol document: every valid example is
// accepted, every invalid one refused, every event kind has an example, and every JSON line shown in
// docs/protocol.md is a line the schemas accept.
#include "ProtocolSchemas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <set>

namespace corvane::test {
namespace {

using nlohmann::json;

struct Corpus {
    const char* schema;
    const char* file;
    bool valid;
};

class SchemaCorpus : public ::testing::TestWithParam<Corpus> {};

TEST_P(SchemaCorpus, EveryLineHasTheExpectedVerdict)
{
    const Corpus corpus = GetParam();
    const std::vector<std::string> lines = corpusLines(corpus.file);
    ASSERT_FALSE(lines.empty());
    for (const std::string& line : lines) {
        const json value = json::parse(line, nullptr, false);
        ASSERT_FALSE(value.is_discarded()) << "corpus line is not JSON: " << line;
        const std::vector<std::string> errors = protocolSchema(corpus.schema).errors(value);
        if (corpus.valid) {
            EXPECT_TRUE(errors.empty()) << line.substr(0, 200) << "\n" << (errors.empty() ? "" : errors.front());
        } else {
            EXPECT_FALSE(errors.empty()) << line.substr(0, 200);
        }
    }
}

// "beyond" corpora hold lines the process refuses for rules a schema cannot express (byte lengths,
// canonical uniqueness, the total row count): the schemas accept them.
INSTANTIATE_TEST_SUITE_P(Corpora, SchemaCorpus,
                         ::testing::Values(Corpus{"tray-state", "tray-state.valid", true},
                                           Corpus{"tray-state", "tray-state.beyond", true},
                                           Corpus{"tray-state", "tray-state.invalid", false},
                                           Corpus{"form-message", "form-message.valid", true},
                                           Corpus{"form-message", "form-message.beyond", true},
                                           Corpus{"form-message", "form-message.invalid", false},
                                           Corpus{"event", "event.valid", true},
                                           Corpus{"event", "event.invalid", false}),
                         [](const auto& info) {
                             std::string name = info.param.file;
                             std::replace_if(
                                 name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
                             return name;
                         });

// The event names the event schema allows, one per oneOf branch.
std::vector<std::string> eventNames()
{
    const json& document = protocolSchema("event").document();
    std::vector<std::string> names;
    for (const json& branch : document.at("oneOf")) {
        const std::string pointer = branch.at("$ref").get<std::string>().substr(1);
        names.push_back(document.at(json::json_pointer(pointer)).at("properties").at("event").at("const"));
    }
    return names;
}

TEST(EventSchema, EveryKindHasAValidExampleInTheWireForm)
{
    std::set<std::string> seen;
    for (const std::string& line : corpusLines("event.valid")) {
        EXPECT_EQ(eventErrors(line), std::vector<std::string>{}) << line;
        seen.insert(json::parse(line).at("event").get<std::string>());
    }
    const std::vector<std::string> names = eventNames();
    EXPECT_EQ(names.size(), 13u);
    for (const std::string& name : names) {
        EXPECT_TRUE(seen.count(name)) << name;
    }
}

TEST(EventSchema, WireFormChecksCatchReorderedOrUnescapedLines)
{
    EXPECT_FALSE(eventErrors(R"({"event":"menu","action":"pause"})").empty());
    EXPECT_FALSE(eventErrors(R"({"accessKey":"k","event":"submit","projectRoot":"/p"})").empty());
    EXPECT_FALSE(eventErrors(R"({"event": "ready"})").empty());
    EXPECT_FALSE(eventErrors(R"({"action":"\u6682","event":"menu"})").empty());
    EXPECT_EQ(eventErrors(R"({"action":"暂","event":"menu"})"), std::vector<std::string>{});
}

TEST(TrayStateSchema, ExerciseMenuLinesHaveTheirOwnDefinition)
{
    EXPECT_EQ(messageErrors(R"({"exerciseMenu":"pause"})", false), std::vector<std::string>{});
    EXPECT_FALSE(messageErrors(R"({"exerciseMenu":7})", false).empty());
    EXPECT_FALSE(messageErrors("not json", false).empty());
}

// The JSON lines inside ```json fences of docs/protocol.md.
std::vector<std::string> documentExamples()
{
    std::ifstream document(CORVANE_PROTOCOL_DOCUMENT);
    EXPECT_TRUE(document.good()) << CORVANE_PROTOCOL_DOCUMENT;
    std::vector<std::string> examples;
    bool inJson = false;
    for (std::string line; std::getline(document, line);) {
        if (line.rfind("```", 0) == 0) {
            inJson = !inJson && line == "```json";
        } else if (inJson && !line.empty()) {
            examples.push_back(line);
        }
    }
    return examples;
}

TEST(ProtocolDocument, EveryJsonExampleIsALineTheSchemasAccept)
{
    const std::vector<std::string> examples = documentExamples();
    EXPECT_GE(examples.size(), 25u);
    for (const std::string& line : examples) {
        const json value = json::parse(line, nullptr, false);
        ASSERT_TRUE(value.is_object()) << line;
        const std::vector<std::string> errors = value.contains("event")  ? eventErrors(line)
                                                : value.contains("type") ? messageErrors(line, true)
                                                                         : messageErrors(line, false);
        EXPECT_EQ(errors, std::vector<std::string>{}) << line;
    }
}

TEST(ProtocolDocument, ShowsAnExampleOfEveryEventKind)
{
    std::set<std::string> shown;
    for (const std::string& line : documentExamples()) {
        const json value = json::parse(line, nullptr, false);
        if (value.is_object() && value.contains("event")) {
            shown.insert(value.at("event").get<std::string>());
        }
    }
    for (const std::string& name : eventNames()) {
        EXPECT_TRUE(shown.count(name)) << name;
    }
}

} // namespace
} // namespace corvane::test
