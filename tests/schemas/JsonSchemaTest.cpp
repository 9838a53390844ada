// The small schema validator against hand-made schemas: each keyword accepts and refuses what JSON
// Schema says, subschemas apply only to their own types, and unknown keywords are refused up front.
#include "JsonSchema.h"

#include <gtest/gtest.h>

namespace corvane::test {
namespace {

using nlohmann::json;

bool accepts(const json& schema, const json& instance)
{
    return JsonSchema(schema).accepts(instance);
}

TEST(JsonSchema, TypeAcceptsOneNameOrAList)
{
    EXPECT_TRUE(accepts({{"type", "string"}}, "x"));
    EXPECT_FALSE(accepts({{"type", "string"}}, 1));
    EXPECT_TRUE(accepts({{"type", {"string", "null"}}}, nullptr));
    EXPECT_FALSE(accepts({{"type", {"string", "null"}}}, false));
    EXPECT_TRUE(accepts({{"type", "integer"}}, 3));
    EXPECT_TRUE(accepts({{"type", "integer"}}, 3.0));
    EXPECT_FALSE(accepts({{"type", "integer"}}, 3.5));
    EXPECT_TRUE(accepts({{"type", "number"}}, 3.5));
    EXPECT_FALSE(accepts({{"type", "object"}}, json::array()));
    EXPECT_FALSE(accepts({{"type", "array"}}, json::object()));
    EXPECT_FALSE(accepts({{"type", "boolean"}}, 0));
}

TEST(JsonSchema, EnumAndConstCompareWholeValues)
{
    EXPECT_TRUE(accepts({{"enum", {"a", nullptr, 2}}}, nullptr));
    EXPECT_TRUE(accepts({{"enum", {"a", nullptr, 2}}}, 2.0));
    EXPECT_FALSE(accepts({{"enum", {"a", nullptr, 2}}}, "A"));
    EXPECT_TRUE(accepts({{"const", {{"k", {1, 2}}}}}, json{{"k", {1, 2}}}));
    EXPECT_FALSE(accepts({{"const", {{"k", {1, 2}}}}}, json{{"k", {2, 1}}}));
    EXPECT_FALSE(accepts({{"const", true}}, 1));
}

TEST(JsonSchema, RequiredPropertiesAndAdditionalProperties)
{
    const json schema = {{"type", "object"},
                         {"required", {"a"}},
                         {"properties", {{"a", {{"type", "string"}}}, {"b", {{"type", "boolean"}}}}},
                         {"additionalProperties", false}};
    EXPECT_TRUE(accepts(schema, {{"a", "x"}}));
    EXPECT_TRUE(accepts(schema, {{"a", "x"}, {"b", true}}));
    EXPECT_FALSE(accepts(schema, {{"b", true}}));
    EXPECT_FALSE(accepts(schema, {{"a", 1}}));
    EXPECT_FALSE(accepts(schema, {{"a", "x"}, {"c", 1}}));
    // Without additionalProperties other members are free.
    EXPECT_TRUE(accepts({{"properties", {{"a", {{"type", "string"}}}}}}, {{"c", 1}}));
    EXPECT_FALSE(accepts({{"additionalProperties", {{"type", "string"}}}}, {{"c", 1}}));
    EXPECT_TRUE(accepts({{"additionalProperties", {{"type", "string"}}}}, {{"c", "1"}}));
}

TEST(JsonSchema, ArrayKeywordsCountAndCheckEveryItem)
{
    const json schema = {{"type", "array"}, {"minItems", 1}, {"maxItems", 2}, {"items", {{"type", "integer"}}}};
    EXPECT_FALSE(accepts(schema, json::array()));
    EXPECT_TRUE(accepts(schema, {1}));
    EXPECT_TRUE(accepts(schema, {1, 2}));
    EXPECT_FALSE(accepts(schema, {1, 2, 3}));
    EXPECT_FALSE(accepts(schema, {1, "2"}));
}

TEST(JsonSchema, MinLengthCountsCodePointsNotBytes)
{
    EXPECT_FALSE(accepts({{"minLength", 1}}, ""));
    EXPECT_TRUE(accepts({{"minLength", 2}}, "\xC3\xA9\xC3\xA9"));
    EXPECT_FALSE(accepts({{"minLength", 3}}, "\xC3\xA9\xC3\xA9"));
}

TEST(JsonSchema, TypeSpecificKeywordsIgnoreOtherTypes)
{
    EXPECT_TRUE(accepts({{"maxItems", 0}}, "text"));
    EXPECT_TRUE(accepts({{"required", {"a"}}}, json::array()));
    EXPECT_TRUE(accepts({{"minLength", 5}}, 1));
    EXPECT_TRUE(accepts({{"type", {"array", "null"}}, {"maxItems", 0}}, nullptr));
    EXPECT_FALSE(accepts({{"type", {"array", "null"}}, {"maxItems", 0}}, {1}));
}

TEST(JsonSchema, OneOfNeedsExactlyOneBranchAndAnyOfAtLeastOne)
{
    const json branches = {{{"type", "integer"}}, {{"type", "number"}}};
    EXPECT_TRUE(accepts({{"oneOf", branches}}, 1.5));
    EXPECT_FALSE(accepts({{"oneOf", branches}}, 1));
    EXPECT_FALSE(accepts({{"oneOf", branches}}, "1"));
    EXPECT_TRUE(accepts({{"anyOf", branches}}, 1));
    EXPECT_FALSE(accepts({{"anyOf", branches}}, "1"));
}

TEST(JsonSchema, RefsResolveInsideTheDocumentAndApplyBesideOtherKeywords)
{
    const json schema = {{"$defs", {{"word", {{"enum", {"a", "b"}}}}}},
                         {"type", "object"},
                         {"properties", {{"w", {{"$ref", "#/$defs/word"}, {"description", "a word"}}}}}};
    EXPECT_TRUE(accepts(schema, {{"w", "a"}}));
    EXPECT_FALSE(accepts(schema, {{"w", "c"}}));
    const JsonSchema document(schema);
    EXPECT_TRUE(document.errors("b", "/$defs/word").empty());
    EXPECT_FALSE(document.errors("c", "/$defs/word").empty());
    EXPECT_THROW(document.errors("b", "/$defs/missing"), std::invalid_argument);
}

TEST(JsonSchema, RefusesSchemasItCannotHonour)
{
    EXPECT_THROW(JsonSchema(json{{"pattern", "^a"}}), std::invalid_argument);
    EXPECT_THROW(JsonSchema(json{{"properties", {{"a", {{"maxLength", 3}}}}}}), std::invalid_argument);
    EXPECT_THROW(JsonSchema(json{{"$defs", {{"x", {{"not", json::object()}}}}}}), std::invalid_argument);
    EXPECT_THROW(JsonSchema(json{{"oneOf", {{{"if", json::object()}}}}}), std::invalid_argument);
    EXPECT_THROW(JsonSchema(json{{"$ref", "#/$defs/none"}}), std::invalid_argument);
    EXPECT_THROW(JsonSchema(json{{"$ref", "other.json#/a"}}), std::invalid_argument);
    EXPECT_THROW(JsonSchema(json{{"type", "text"}}), std::invalid_argument);
    EXPECT_THROW(JsonSchema(json{{"minItems", -1}}), std::invalid_argument);
    EXPECT_THROW(JsonSchema(json{{"enum", json::array()}}), std::invalid_argument);
    EXPECT_THROW(JsonSchema(json(true)), std::invalid_argument);
}

TEST(JsonSchema, ErrorsNameWhereTheInstanceBreaksTheSchema)
{
    const JsonSchema schema(json{{"properties", {{"menu", {{"items", {{"type", "string"}}}}}}}});
    const std::vector<std::string> errors = schema.errors({{"menu", {"a", 2}}});
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors.front().rfind("/menu/1: ", 0), 0u) << errors.front();
}

} // namespace
} // namespace corvane::test
