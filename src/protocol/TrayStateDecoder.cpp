#include "TrayStateDecoder.h"

#include "JsonText.h"

namespace corvane {
namespace {

using nlohmann::json;

// A required key must be present, not null, and of the exact type.
bool readString(const json& object, std::string_view key, std::string& out)
{
    const std::string* value = findString(object, key);
    if (!value) {
        return false;
    }
    out = *value;
    return true;
}

bool readBool(const json& object, std::string_view key, bool& out)
{
    const json* value = findMember(object, key);
    if (!value || !value->is_boolean()) {
        return false;
    }
    out = value->get<bool>();
    return true;
}

// An optional key that is missing or null stays absent; any other value must have the exact type.
bool readOptionalString(const json& object, std::string_view key, std::optional<std::string>& out)
{
    const json* value = findMember(object, key);
    if (!value || value->is_null()) {
        return true;
    }
    if (!value->is_string()) {
        return false;
    }
    out = value->get<std::string>();
    return true;
}

bool readOptionalBool(const json& object, std::string_view key, std::optional<bool>& out)
{
    const json* value = findMember(object, key);
    if (!value || value->is_null()) {
        return true;
    }
    if (!value->is_boolean()) {
        return false;
    }
    out = value->get<bool>();
    return true;
}

bool decodeRows(const json& array, std::vector<MenuEntry>& rows);

bool decodeEntry(const json& object, MenuEntry& entry)
{
    if (!object.is_object() || !readString(object, "id", entry.id) || !readString(object, "text", entry.text) ||
        !readBool(object, "enabled", entry.enabled) || !readOptionalString(object, "action", entry.action) ||
        !readOptionalBool(object, "separator", entry.separator)) {
        return false;
    }
    const json* children = findMember(object, "children");
    if (!children || children->is_null()) {
        return true;
    }
    entry.children.emplace();
    return decodeRows(*children, *entry.children);
}

bool decodeRows(const json& array, std::vector<MenuEntry>& rows)
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

} // namespace

std::optional<TrayState> trayStateFromJson(const json& value)
{
    TrayState state;
    if (!value.is_object() || !readString(value, "status", state.status) ||
        !readString(value, "iconStatus", state.iconStatus) || !readString(value, "tooltip", state.tooltip)) {
        return std::nullopt;
    }
    const json* menu = findMember(value, "menu");
    if (!menu || !decodeRows(*menu, state.menu)) {
        return std::nullopt;
    }
    return state;
}

std::optional<TrayState> decodeTrayState(std::string_view text)
{
    const std::optional<json> value = parseJson(text);
    if (!value) {
        return std::nullopt;
    }
    return trayStateFromJson(*value);
}

} // namespace corvane
