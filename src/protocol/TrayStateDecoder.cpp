#include "protocol/TrayStateDecoder.h"

#include "protocol/JsonText.h"
#include "protocol/PlainJson.h"
#include "protocol/TrayStateReader.h"

#include <type_traits>

namespace corvane {
namespace {

using nlohmann::json;

// The decoder reads a const value (its strings are copied) or a value it may empty (its strings are
// moved out): Json is `const json` or `json`.
template <typename Json> void take(Json& value, std::string& out)
{
    if constexpr (std::is_const_v<Json>) {
        out = value.template get_ref<const std::string&>();
    } else {
        out = std::move(value.template get_ref<std::string&>());
    }
}

// A required key must be present, not null, and of the exact type.
template <typename Json> bool readString(Json& object, std::string_view key, std::string& out)
{
    Json* value = findMember(object, key);
    if (!value || !value->is_string()) {
        return false;
    }
    take(*value, out);
    return true;
}

template <typename Json> bool readBool(Json& object, std::string_view key, bool& out)
{
    const Json* value = findMember(object, key);
    if (!value || !value->is_boolean()) {
        return false;
    }
    out = value->template get<bool>();
    return true;
}

// An optional key that is missing or null stays absent; any other value must have the exact type.
template <typename Json> bool readOptionalString(Json& object, std::string_view key, std::optional<std::string>& out)
{
    Json* value = findMember(object, key);
    if (!value || value->is_null()) {
        return true;
    }
    if (!value->is_string()) {
        return false;
    }
    take(*value, out.emplace());
    return true;
}

template <typename Json> bool readOptionalBool(Json& object, std::string_view key, std::optional<bool>& out)
{
    const Json* value = findMember(object, key);
    if (!value || value->is_null()) {
        return true;
    }
    if (!value->is_boolean()) {
        return false;
    }
    out = value->template get<bool>();
    return true;
}

template <typename Json> bool decodeRows(Json& array, std::vector<MenuEntry>& rows);

template <typename Json> bool decodeEntry(Json& object, MenuEntry& entry)
{
    if (!object.is_object() || !readString(object, "id", entry.id) || !readString(object, "text", entry.text) ||
        !readBool(object, "enabled", entry.enabled) || !readOptionalString(object, "action", entry.action) ||
        !readOptionalBool(object, "separator", entry.separator)) {
        return false;
    }
    Json* children = findMember(object, "children");
    if (!children || children->is_null()) {
        return true;
    }
    entry.children.emplace();
    return decodeRows(*children, *entry.children);
}

template <typename Json> bool decodeRows(Json& array, std::vector<MenuEntry>& rows)
{
    if (!array.is_array()) {
        return false;
    }
    rows.resize(array.size());
    for (std::size_t index = 0; index < rows.size(); ++index) {
        if (!decodeEntry(array[index], rows[index])) {
            return false;
        }
    }
    return true;
}

template <typename Json> std::optional<TrayState> decodeState(Json& value)
{
    TrayState state;
    if (!value.is_object() || !readString(value, "status", state.status) ||
        !readString(value, "iconStatus", state.iconStatus) || !readString(value, "tooltip", state.tooltip)) {
        return std::nullopt;
    }
    Json* menu = findMember(value, "menu");
    if (!menu || !decodeRows(*menu, state.menu)) {
        return std::nullopt;
    }
    return state;
}

} // namespace

std::optional<TrayState> trayStateFromJson(const json& value)
{
    return decodeState(value);
}

std::optional<TrayState> trayStateFromJson(json&& value)
{
    return decodeState(value);
}

std::optional<TrayState> decodeTrayState(std::string_view text)
{
    return decodeTrayLine(text).state;
}

TrayLine decodeTrayLine(std::string_view text)
{
    TrayLine line;
    // As in parseJson: the parser would take a NUL byte for the end of the input.
    if (text.find('\0') != std::string_view::npos) {
        return line;
    }
    TrayStateReader reader;
    // The usual text is read quickly; anything else, and any text that is not JSON, by nlohmann's parser,
    // which decides what is refused.
    if (!readPlainJson(text, reader)) {
        reader = TrayStateReader();
        if (!json::sax_parse(text.begin(), text.end(), &reader, json::input_format_t::json, /*strict=*/true,
                             /*ignore_comments=*/false)) {
            return line;
        }
    }
    line.isJson = true;
    line.state = reader.takeState();
    line.exerciseMenu = reader.takeExerciseMenu();
    return line;
}

} // namespace corvane
