// Tray states: strict decoding from JSON, the ordered validity rules, and the menu layout keys.
#include "protocol/JsonText.h"
#include "protocol/MenuLayout.h"
#include "protocol/TrayStateDecoder.h"
#include "protocol/TrayStateValidation.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace corvane {
namespace {

const std::string head = R"({"status":"ready","iconStatus":"ready","tooltip":"tip","menu":)";
const std::string oneRow = R"([{"id":"a","text":"A","enabled":true}])";

// A whole state whose menu is `menu`.
std::string withMenu(const std::string& menu)
{
    return head + menu + "}";
}

// A whole state with one top-level row holding `fields` after its required ones.
std::string withRowFields(const std::string& fields)
{
    return withMenu(R"([{"id":"a","text":"A","enabled":true)" + fields + "}]");
}

TEST(TrayStateDecoding, DecodesEveryFieldOfAFullState)
{
    const auto state = decodeTrayState(head +
                                       R"([{"id":"p","text":"Parent","enabled":false,"children":[
        {"id":"c","text":"Child","enabled":true,"action":"go"}]},
        {"id":"s","text":"","enabled":true,"separator":true,"action":""}]})");
    ASSERT_TRUE(state);
    EXPECT_EQ(state->status, "ready");
    EXPECT_EQ(state->iconStatus, "ready");
    EXPECT_EQ(state->tooltip, "tip");
    ASSERT_EQ(state->menu.size(), 2u);
    const MenuEntry& parent = state->menu[0];
    EXPECT_EQ(parent.id, "p");
    EXPECT_EQ(parent.text, "Parent");
    EXPECT_FALSE(parent.enabled);
    EXPECT_FALSE(parent.action);
    EXPECT_FALSE(parent.separator);
    ASSERT_TRUE(parent.children);
    ASSERT_EQ(parent.children->size(), 1u);
    EXPECT_EQ(parent.children->at(0).id, "c");
    EXPECT_EQ(parent.children->at(0).action, "go");
    EXPECT_TRUE(parent.children->at(0).enabled);
    EXPECT_EQ(state->menu[1].separator, true);
    EXPECT_EQ(state->menu[1].action, "");
    EXPECT_FALSE(state->menu[1].children);
}

TEST(TrayStateDecoding, TreatsNullOptionalFieldsAsAbsent)
{
    const auto state = decodeTrayState(withRowFields(R"(,"action":null,"separator":null,"children":null)"));
    ASSERT_TRUE(state);
    ASSERT_EQ(state->menu.size(), 1u);
    EXPECT_FALSE(state->menu[0].action);
    EXPECT_FALSE(state->menu[0].separator);
    EXPECT_FALSE(state->menu[0].children);
}

TEST(TrayStateDecoding, IgnoresUnknownKeysAtEveryLevel)
{
    const auto state = decodeTrayState(
        R"({"x":{"deep":[1,2,{"y":null}]},"status":"busy","iconStatus":"stopped","tooltip":"","menu":[
        {"id":"p","text":"P","enabled":true,"z":1.5e3,"children":[{"id":"c","text":"C","enabled":true,"w":[]}]}],
        "extra":"\u00e9"})");
    ASSERT_TRUE(state);
    EXPECT_EQ(state->status, "busy");
    ASSERT_EQ(state->menu.size(), 1u);
    ASSERT_TRUE(state->menu[0].children);
    EXPECT_EQ(state->menu[0].children->at(0).id, "c");
}

TEST(TrayStateDecoding, DecodesRowsToAnyDepth)
{
    constexpr int depth = 40;
    std::string menu;
    for (int level = 0; level < depth; ++level) {
        menu += R"([{"id":"r)" + std::to_string(level) + R"(","text":"t","enabled":true,"children":)";
    }
    menu += "[]";
    for (int level = 0; level < depth; ++level) {
        menu += "}]";
    }
    const auto state = decodeTrayState(withMenu(menu));
    ASSERT_TRUE(state);
    const MenuEntry* row = &state->menu.at(0);
    for (int level = 1; level < depth; ++level) {
        ASSERT_TRUE(row->children && row->children->size() == 1u) << "level " << level;
        row = &row->children->front();
        EXPECT_EQ(row->id, "r" + std::to_string(level));
    }
    ASSERT_TRUE(row->children);
    EXPECT_TRUE(row->children->empty());
}

TEST(TrayStateDecoding, AcceptsAnEmptyMenuArrayLeavingTheCountToValidation)
{
    const auto state = decodeTrayState(withMenu("[]"));
    ASSERT_TRUE(state);
    EXPECT_TRUE(state->menu.empty());
}

TEST(TrayStateDecoding, RefusesWrongShapesTypesAndMissingFields)
{
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"empty object", "{}"},
        {"top-level array", "[" + withMenu(oneRow) + "]"},
        {"null", "null"},
        {"not JSON", "status ready"},
        {"empty text", ""},
        {"missing status", R"({"iconStatus":"ready","tooltip":"","menu":)" + oneRow + "}"},
        {"missing iconStatus", R"({"status":"ready","tooltip":"","menu":)" + oneRow + "}"},
        {"missing tooltip", R"({"status":"ready","iconStatus":"ready","menu":)" + oneRow + "}"},
        {"missing menu", R"({"status":"ready","iconStatus":"ready","tooltip":""})"},
        {"null status", R"({"status":null,"iconStatus":"ready","tooltip":"","menu":)" + oneRow + "}"},
        {"null tooltip", R"({"status":"ready","iconStatus":"ready","tooltip":null,"menu":)" + oneRow + "}"},
        {"null menu", withMenu("null")},
        {"numeric status", R"({"status":1,"iconStatus":"ready","tooltip":"","menu":)" + oneRow + "}"},
        {"boolean iconStatus", R"({"status":"ready","iconStatus":true,"tooltip":"","menu":)" + oneRow + "}"},
        {"array tooltip", R"({"status":"ready","iconStatus":"ready","tooltip":["t"],"menu":)" + oneRow + "}"},
        {"object menu", withMenu(R"({"id":"a","text":"A","enabled":true})")},
        {"string menu", withMenu(R"("a")")},
        {"number row", withMenu("[1]")},
        {"null row", withMenu("[null]")},
        {"missing id", withMenu(R"([{"text":"A","enabled":true}])")},
        {"missing text", withMenu(R"([{"id":"a","enabled":true}])")},
        {"missing enabled", withMenu(R"([{"id":"a","text":"A"}])")},
        {"null id", withMenu(R"([{"id":null,"text":"A","enabled":true}])")},
        {"null enabled", withMenu(R"([{"id":"a","text":"A","enabled":null}])")},
        {"numeric id", withMenu(R"([{"id":1,"text":"A","enabled":true}])")},
        {"numeric text", withMenu(R"([{"id":"a","text":2,"enabled":true}])")},
        {"enabled 1", withMenu(R"([{"id":"a","text":"A","enabled":1}])")},
        {"enabled \"true\"", withMenu(R"([{"id":"a","text":"A","enabled":"true"}])")},
        {"numeric action", withRowFields(R"(,"action":1)")},
        {"boolean action", withRowFields(R"(,"action":false)")},
        {"separator \"true\"", withRowFields(R"(,"separator":"true")")},
        {"separator 0", withRowFields(R"(,"separator":0)")},
        {"object children", withRowFields(R"(,"children":{})")},
        {"number child", withRowFields(R"(,"children":[1])")},
        {"child without enabled", withRowFields(R"(,"children":[{"id":"c","text":"C"}])")},
        {"bad row three levels down", withRowFields(R"(,"children":[{"id":"c","text":"C","enabled":true,"children":[
             {"id":"g","text":"G","enabled":true,"children":[{"id":"h","text":"H","enabled":"yes"}]}]}])")},
    };
    for (const auto& [situation, text] : cases) {
        EXPECT_FALSE(decodeTrayState(text)) << situation;
    }
}

TEST(TrayStateDecoding, TakesTheLastOfARepeatedKeyAsAParsedValueDoes)
{
    const std::string rowHead = R"({"id":"a","text":"A","enabled":true)";
    // Each text with whether it decodes. Its parsed value, written out again, holds each key once (the last
    // one): decoding that must give the same answer.
    const std::vector<std::tuple<const char*, std::string, bool>> cases = {
        {"status: wrong type, then good",
         R"({"status":1,"status":"busy","iconStatus":"ready","tooltip":"",)"
         R"("menu":)" +
             oneRow + "}",
         true},
        {"status: good, then null",
         R"({"status":"busy","status":null,"iconStatus":"ready","tooltip":"","menu":)" + oneRow + "}", false},
        {"menu: bad row, then good", head + R"([1],"menu":)" + oneRow + "}", true},
        {"menu: good, then a string", head + oneRow + R"(,"menu":"x"})", false},
        {"menu: two rows, then one",
         head + R"([{"id":"b","text":"B","enabled":true},)" + oneRow.substr(1) + R"(,"menu":)" + oneRow + "}", true},
        {"children: bad, then null", withRowFields(R"(,"children":[1],"children":null)"), true},
        {"children: good, then an object", withRowFields(R"(,"children":[)" + rowHead + R"(}],"children":{})"), false},
        {"action: string, then null", withRowFields(R"(,"action":"go","action":null)"), true},
        {"action: number, then string", withRowFields(R"(,"action":1,"action":"go")"), true},
        {"separator: true, then null", withRowFields(R"(,"separator":true,"separator":null)"), true},
        {"id: number, then string", withMenu(R"([{"id":1,"text":"A","enabled":true,"id":"b"}])"), true},
        {"enabled: true, then a string", withRowFields(R"(,"enabled":"x")"), false},
        {"row: bad key inside an unknown one", withRowFields(R"(,"x":{"id":1,"children":[2]})"), true},
    };
    for (const auto& [situation, text, decodes] : cases) {
        const std::optional<TrayState> state = decodeTrayState(text);
        EXPECT_EQ(state.has_value(), decodes) << situation;
        const std::optional<nlohmann::json> value = parseJson(text);
        ASSERT_TRUE(value) << situation;
        const std::optional<TrayState> once = decodeTrayState(value->dump());
        ASSERT_EQ(once.has_value(), decodes) << situation;
        if (state && once) {
            EXPECT_EQ(state->status, once->status) << situation;
            ASSERT_EQ(state->menu.size(), once->menu.size()) << situation;
            const MenuEntry& row = state->menu.front();
            const MenuEntry& reference = once->menu.front();
            EXPECT_EQ(row.id, reference.id) << situation;
            EXPECT_EQ(row.action, reference.action) << situation;
            EXPECT_EQ(row.separator, reference.separator) << situation;
            EXPECT_EQ(row.children.has_value(), reference.children.has_value()) << situation;
        }
    }
    EXPECT_EQ(decodeTrayState(std::get<1>(cases[0]))->status, "busy");
    const std::optional<TrayState> replaced = decodeTrayState(std::get<1>(cases[4]));
    ASSERT_TRUE(replaced);
    ASSERT_EQ(replaced->menu.size(), 1U) << "nothing of the first menu is left";
    EXPECT_EQ(replaced->menu[0].id, "a");
    EXPECT_FALSE(decodeTrayState(std::get<1>(cases[5]))->menu.at(0).children);
    EXPECT_FALSE(decodeTrayState(std::get<1>(cases[7]))->menu.at(0).action);
    EXPECT_EQ(decodeTrayState(std::get<1>(cases[8]))->menu.at(0).action, "go");
    EXPECT_FALSE(decodeTrayState(std::get<1>(cases[9]))->menu.at(0).separator);
    EXPECT_EQ(decodeTrayState(std::get<1>(cases[10]))->menu.at(0).id, "b");
}

TEST(TrayStateDecoding, ReadsEscapesNumbersAndDeepNestingAsParsingDoes)
{
    const std::string rest = R"(,"iconStatus":"ready","status":"ready","menu":)" + oneRow + "}";
    const auto tooltipOf = [&rest](const std::string& literal) {
        const std::optional<TrayState> state = decodeTrayState(R"({"tooltip":)" + literal + rest);
        return state ? std::optional(state->tooltip) : std::nullopt;
    };
    EXPECT_EQ(tooltipOf(R"("a\"b\\c\/d\be\ff\ng\rh\ti")"), "a\"b\\c/d\be\ff\ng\rh\ti");
    EXPECT_EQ(tooltipOf("\"\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80\\n\\u00e9\\ud83d\\ude00\""),
              "\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80\n\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(tooltipOf("\"\xEF\xBF\xBF\xF4\x8F\xBF\xBF\xED\x9F\xBF\""), "\xEF\xBF\xBF\xF4\x8F\xBF\xBF\xED\x9F\xBF");
    for (const char* number : {"0", "-0", "123456789012345678", "-123456789012345678", "1234567890123456789",
                               "18446744073709551616", "1.5", "-0.0e0", "1E5", "1e-400"}) {
        EXPECT_TRUE(decodeTrayState(withRowFields(R"(,"x":)" + std::string(number)))) << number;
    }
    for (const char* number : {"1e400", "-1e400", "01", "-", "--1", "1.", ".1", "0x1", "1e", "+1"}) {
        EXPECT_FALSE(decodeTrayState(withRowFields(R"(,"x":)" + std::string(number)))) << number;
    }
    constexpr std::size_t depth = 30000;
    const std::string open(depth, '[');
    const std::string close(depth, ']');
    EXPECT_TRUE(decodeTrayState(withRowFields(R"(,"x":)" + open + close))) << "deep nesting in an unknown member";
    EXPECT_FALSE(decodeTrayState(withRowFields(R"(,"x":)" + open + close.substr(1))));
    EXPECT_TRUE(decodeTrayState("\xEF\xBB\xBF" + withMenu(oneRow))) << "a byte-order mark, as the parser allows";
    EXPECT_FALSE(decodeTrayState(" \xEF\xBB\xBF" + withMenu(oneRow))) << "only as the very first bytes";
}

TEST(TrayStateDecoding, RefusesEveryDeviationFromStrictJson)
{
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"invalid UTF-8 byte", withMenu(oneRow).replace(head.find(R"("tip")") + 1, 3, "t\xFFp")},
        {"truncated UTF-8", withRowFields(R"(,"x":")" + std::string("\xE6\x97") + R"(")")},
        {"overlong UTF-8", withRowFields(R"(,"x":")" + std::string("\xC0\xAF") + R"(")")},
        {"encoded surrogate", withRowFields(R"(,"x":")" + std::string("\xED\xA0\x80") + R"(")")},
        {"lone high surrogate escape", withRowFields(R"(,"x":"\ud800")")},
        {"lone low surrogate escape", withRowFields(R"(,"x":"\udc00")")},
        {"raw control character", withRowFields(R"(,"x":"a)" + std::string("\x01") + R"(b")")},
        {"raw tab in string", withRowFields(R"(,"x":"a)" + std::string("\t") + R"(b")")},
        {"raw line feed in string", withRowFields(R"(,"x":"a)" + std::string("\n") + R"(b")")},
        {"unknown escape", withRowFields(R"(,"x":"\x41")")},
        {"single-quoted string", withRowFields(R"(,"x":'a')")},
        {"fraction without integer", withRowFields(R"(,"x":.5)")},
        {"fraction without digits", withRowFields(R"(,"x":1.)")},
        {"leading zero", withRowFields(R"(,"x":01)")},
        {"plus sign", withRowFields(R"(,"x":+1)")},
        {"NaN", withRowFields(R"(,"x":NaN)")},
        {"block comment", withMenu("/* c */" + oneRow)},
        {"line comment", withMenu(oneRow) + "// c"},
        {"trailing comma in object", withRowFields(",")},
        {"trailing comma in array", withMenu(R"([{"id":"a","text":"A","enabled":true},])")},
        {"unquoted key", withRowFields(R"(,x:1)")},
        {"second value after the object", withMenu(oneRow) + "{}"},
        // The parser would take the NUL for the end of the text and never look past it.
        {"NUL byte then garbage after the object", withMenu(oneRow) + std::string("\0garbage", 8)},
        {"unterminated object", withMenu(oneRow).substr(0, withMenu(oneRow).size() - 1)},
    };
    ASSERT_TRUE(decodeTrayState(withRowFields(R"(,"x":"\u00e9\ud83d\ude00")"))) << "escapes themselves are fine";
    ASSERT_TRUE(decodeTrayState(" \t\r\n" + withMenu(oneRow) + " \n")) << "JSON whitespace is fine";
    for (const auto& [situation, text] : cases) {
        EXPECT_FALSE(decodeTrayState(text)) << situation;
    }
}

MenuEntry row(const std::string& id)
{
    MenuEntry entry;
    entry.id = id;
    entry.text = id;
    entry.enabled = true;
    return entry;
}

MenuEntry parent(const std::string& id, std::size_t childCount)
{
    MenuEntry entry = row(id);
    entry.children.emplace();
    for (std::size_t index = 0; index < childCount; ++index) {
        entry.children->push_back(row(id + "." + std::to_string(index)));
    }
    return entry;
}

TrayState stateOf(std::vector<MenuEntry> menu, std::string status = "ready", std::string iconStatus = "ready")
{
    TrayState state;
    state.status = std::move(status);
    state.iconStatus = std::move(iconStatus);
    state.menu = std::move(menu);
    return state;
}

std::vector<MenuEntry> rows(std::size_t count, const std::string& prefix = "r")
{
    std::vector<MenuEntry> result;
    for (std::size_t index = 0; index < count; ++index) {
        result.push_back(row(prefix + std::to_string(index)));
    }
    return result;
}

template <typename Change> MenuEntry changed(MenuEntry entry, Change change)
{
    change(entry);
    return entry;
}

struct RuleCase {
    const char* situation;
    TrayState state;
    std::optional<TrayStateRule> expected;
};

std::string repeated(const std::string& unit, std::size_t count)
{
    std::string text;
    for (std::size_t index = 0; index < count; ++index) {
        text += unit;
    }
    return text;
}

void expectRules(const std::vector<RuleCase>& cases)
{
    for (const RuleCase& c : cases) {
        const auto broken = firstBrokenRule(c.state);
        EXPECT_EQ(broken, c.expected) << c.situation;
        EXPECT_EQ(isValidTrayState(c.state), !c.expected) << c.situation;
    }
}

TEST(TrayStateValidation, AcceptsOnlyTheFiveStatusWordsExactly)
{
    std::vector<RuleCase> cases;
    for (const char* word : {"ready", "partial", "suspended", "busy", "stopped"}) {
        cases.push_back({word, stateOf(rows(1), word, word), std::nullopt});
        EXPECT_TRUE(isStatusWord(word)) << word;
    }
    cases.push_back({"busy and stopped", stateOf(rows(1), "busy", "stopped"), std::nullopt});
    for (const char* word : {"Ready", "READY", "", " ready", "ready ", "idle", "ready\n"}) {
        cases.push_back({"status", stateOf(rows(1), word, "ready"), TrayStateRule::KnownStatus});
        cases.push_back({"iconStatus", stateOf(rows(1), "ready", word), TrayStateRule::KnownIconStatus});
        EXPECT_FALSE(isStatusWord(word)) << testing::PrintToString(std::string(word));
    }
    expectRules(cases);
}

TEST(TrayStateValidation, BoundsTopLevelRowsAndEntries)
{
    std::vector<MenuEntry> tenParents;
    for (int index = 0; index < 10; ++index) {
        tenParents.push_back(parent("p" + std::to_string(index), 2));
    }
    std::vector<MenuEntry> elevenParents = tenParents;
    elevenParents.push_back(parent("p10", 2));
    std::vector<MenuEntry> thirtyTwo = tenParents;
    thirtyTwo.push_back(row("a"));
    thirtyTwo.push_back(row("b"));
    std::vector<MenuEntry> thirtyThree = thirtyTwo;
    thirtyThree.push_back(row("c"));
    // Grandchildren are not entries; a child with an empty list keeps the parent shape valid.
    MenuEntry withEmptyGrandchildren = parent("q", 31);
    withEmptyGrandchildren.children->at(0).children.emplace();
    expectRules({
        {"no rows", stateOf({}), TrayStateRule::TopLevelRowCount},
        {"one row", stateOf(rows(1)), std::nullopt},
        {"20 rows", stateOf(rows(20)), std::nullopt},
        {"21 rows", stateOf(rows(21)), TrayStateRule::TopLevelRowCount},
        {"11 parents of 2 (33 entries)", stateOf(elevenParents), TrayStateRule::EntryCount},
        {"10 parents of 2 plus 2 rows (32)", stateOf(thirtyTwo), std::nullopt},
        {"10 parents of 2 plus 3 rows (33)", stateOf(thirtyThree), TrayStateRule::EntryCount},
        {"one parent of 31 (32)", stateOf({parent("p", 31)}), std::nullopt},
        {"one parent of 32 (33)", stateOf({parent("p", 32)}), TrayStateRule::EntryCount},
        {"parent of 31 with an empty grandchild list", stateOf({withEmptyGrandchildren}), std::nullopt},
    });
}

TEST(TrayStateValidation, RefusesDuplicateIdsUnderCanonicalEquivalence)
{
    const std::string composed = "\xC3\xA9";    // U+00E9
    const std::string decomposed = "e\xCC\x81"; // e + U+0301
    const std::string hangul = "\xEA\xB0\x80";  // U+AC00
    const std::string jamo = "\xE1\x84\x80\xE1\x85\xA1";
    const std::string angstrom = "\xE2\x84\xAB"; // U+212B, canonically U+00C5
    const std::string ringA = "\xC3\x85";
    const std::string ligature = "\xEF\xAC\x81"; // U+FB01, only compatibility-equivalent to "fi"
    MenuEntry childClash = parent("p", 2);
    childClash.children->at(1).id = "p";
    MenuEntry cousinA = parent("a", 1);
    MenuEntry cousinB = parent("b", 1);
    cousinB.children->at(0).id = cousinA.children->at(0).id;
    MenuEntry sameTextA = row("x");
    MenuEntry sameTextB = row("y");
    sameTextA.text = sameTextB.text = "Same";
    expectRules({
        {"two top-level rows", stateOf({row("a"), row("a")}), TrayStateRule::UniqueIds},
        {"parent and child", stateOf({childClash}), TrayStateRule::UniqueIds},
        {"children of different parents", stateOf({cousinA, cousinB}), TrayStateRule::UniqueIds},
        {"composed and decomposed", stateOf({row(composed), row(decomposed)}), TrayStateRule::UniqueIds},
        {"Hangul syllable and jamo", stateOf({row(hangul), row(jamo)}), TrayStateRule::UniqueIds},
        {"singleton decomposition", stateOf({row(angstrom), row(ringA)}), TrayStateRule::UniqueIds},
        {"compatibility only", stateOf({row(ligature), row("fi")}), std::nullopt},
        {"case differs", stateOf({row("a"), row("A")}), std::nullopt},
        {"same text, different ids", stateOf({sameTextA, sameTextB}), std::nullopt},
    });
}

TEST(TrayStateValidation, BoundsIdLengthInUtf8Bytes)
{
    const std::string euro = "\xE2\x82\xAC";
    expectRules({
        {"64 ASCII bytes", stateOf({row(std::string(64, 'a'))}), std::nullopt},
        {"65 ASCII bytes", stateOf({row(std::string(65, 'a'))}), TrayStateRule::IdLength},
        {"21 three-byte characters (63)", stateOf({row(repeated(euro, 21))}), std::nullopt},
        {"22 three-byte characters (66)", stateOf({row(repeated(euro, 22))}), TrayStateRule::IdLength},
        {"empty top-level id", stateOf({row("")}), TrayStateRule::IdLength},
        {"empty child id", stateOf({changed(parent("p", 1), [](MenuEntry& e) { e.children->at(0).id.clear(); })}),
         TrayStateRule::IdLength},
        {"65-byte child id",
         stateOf({changed(parent("p", 1), [](MenuEntry& e) { e.children->at(0).id = std::string(65, 'c'); })}),
         TrayStateRule::IdLength},
    });
}

TEST(TrayStateValidation, RestrictsTheShapeOfParentsOnly)
{
    const auto withParent = [](auto change) { return stateOf({changed(parent("p", 2), change)}); };
    MenuEntry plainSeparator = changed(row("s"), [](MenuEntry& e) {
        e.separator = true;
        e.action = "x";
        e.children.emplace();
    });
    expectRules({
        {"parent separator true", withParent([](MenuEntry& e) { e.separator = true; }), TrayStateRule::ParentShape},
        {"parent separator false", withParent([](MenuEntry& e) { e.separator = false; }), std::nullopt},
        {"parent action empty", withParent([](MenuEntry& e) { e.action = ""; }), std::nullopt},
        {"parent action x", withParent([](MenuEntry& e) { e.action = "x"; }), TrayStateRule::ParentShape},
        {"child with empty children", withParent([](MenuEntry& e) { e.children->at(1).children.emplace(); }),
         std::nullopt},
        {"child with one child",
         withParent([](MenuEntry& e) { e.children->at(1).children = std::vector<MenuEntry>{row("g")}; }),
         TrayStateRule::ParentShape},
        {"child separator with action", withParent([](MenuEntry& e) {
             e.children->at(0).separator = true;
             e.children->at(0).action = "go";
         }),
         std::nullopt},
        {"childless separator with action and empty children", stateOf({plainSeparator}), std::nullopt},
    });
}

TEST(TrayStateValidation, ReportsTheFirstBrokenRuleInOrder)
{
    std::vector<MenuEntry> duplicatesOverEntryCount = rows(20);
    duplicatesOverEntryCount[0] = parent("r1", 13);
    expectRules({
        {"status before row count", stateOf({}, "Ready", "x"), TrayStateRule::KnownStatus},
        {"icon status before row count", stateOf(rows(21), "ready", "x"), TrayStateRule::KnownIconStatus},
        {"row count before duplicates", stateOf(std::vector<MenuEntry>(21, row("a"))), TrayStateRule::TopLevelRowCount},
        {"entry count before duplicates", stateOf(duplicatesOverEntryCount), TrayStateRule::EntryCount},
        {"duplicates before id length", stateOf({row(""), row("")}), TrayStateRule::UniqueIds},
        {"id length before parent shape",
         stateOf({changed(parent(std::string(65, 'p'), 1), [](MenuEntry& e) { e.separator = true; })}),
         TrayStateRule::IdLength},
    });
}

TEST(MenuLayout, KeysEachEntryByCanonicalIdSeparatorAndChildCount)
{
    EXPECT_EQ(LayoutKey::of(row("id")), (LayoutKey{"id", false, 0}));
    EXPECT_EQ(LayoutKey::of(changed(row("id"), [](MenuEntry& e) { e.separator = true; })), (LayoutKey{"id", true, 0}));
    EXPECT_EQ(LayoutKey::of(row("e\xCC\x81")), (LayoutKey{"\xC3\xA9", false, 0}));
    const TrayState state = stateOf({parent("p", 2), row("z")});
    EXPECT_EQ(menuLayout(state), (MenuLayout{{"p", false, 2}, {"p.0", false, 0}, {"p.1", false, 0}, {"z", false, 0}}));
    EXPECT_TRUE(hasLayout(state, menuLayout(state)));
    EXPECT_FALSE(hasLayout(state, {{"p", false, 2}, {"p.0", false, 0}, {"p.1", false, 0}}));
    EXPECT_FALSE(hasLayout(stateOf({row("e\xCC\x81")}), {{"e", false, 0}}));
    EXPECT_TRUE(hasLayout(stateOf({row("e\xCC\x81")}), {{"\xC3\xA9", false, 0}}));
}

TEST(MenuLayout, TreatsEquivalentSpellingsOfOneMenuAsTheSameLayout)
{
    const TrayState plain = stateOf({row("a"), row("\xC3\xA9")});
    const TrayState spelled = stateOf({changed(row("a"),
                                               [](MenuEntry& e) {
                                                   e.separator = false;
                                                   e.children.emplace();
                                                   e.text = "other text";
                                                   e.enabled = false;
                                               }),
                                       row("e\xCC\x81")});
    EXPECT_EQ(menuLayout(plain), menuLayout(spelled));
    EXPECT_NE(menuLayout(plain), menuLayout(stateOf({row("a"), row("e")})));
    EXPECT_NE(menuLayout(plain),
              menuLayout(stateOf({changed(row("a"), [](MenuEntry& e) { e.separator = true; }), row("\xC3\xA9")})));
}

} // namespace
} // namespace corvane
