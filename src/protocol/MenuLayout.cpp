#include "protocol/MenuLayout.h"

#include "protocol/UnicodeText.h"

#include <charconv>

namespace corvane {
namespace {

// Whether `key` is layoutKey(entry): the canonical id, then the separator flag, then the child count.
bool keyMatches(std::string_view key, const MenuEntry& entry)
{
    std::string converted;
    const std::string_view id =
        isCanonical(entry.id) ? std::string_view(entry.id) : (converted = canonicalForm(entry.id));
    if (!key.starts_with(id)) {
        return false;
    }
    key.remove_prefix(id.size());
    const std::string_view flag = entry.isSeparator() ? ":true:" : ":false:";
    if (!key.starts_with(flag)) {
        return false;
    }
    key.remove_prefix(flag.size());
    char digits[24];
    const auto written = std::to_chars(digits, digits + sizeof digits, entry.children ? entry.children->size() : 0);
    return key == std::string_view(digits, static_cast<std::size_t>(written.ptr - digits));
}

} // namespace

std::string layoutKey(const MenuEntry& entry)
{
    std::string key = canonicalForm(entry.id);
    key += entry.isSeparator() ? ":true:" : ":false:";
    key += std::to_string(entry.children ? entry.children->size() : 0);
    return key;
}

std::vector<std::string> menuLayout(const TrayState& state)
{
    std::vector<std::string> layout;
    for (const MenuEntry* entry : state.entryViews()) {
        layout.push_back(layoutKey(*entry));
    }
    return layout;
}

bool hasLayout(const TrayState& state, const std::vector<std::string>& layout)
{
    std::size_t index = 0;
    const bool allMatch = state.forEachEntry([&layout, &index](const MenuEntry& entry) {
        return index < layout.size() && keyMatches(layout[index++], entry);
    });
    return allMatch && index == layout.size();
}

} // namespace corvane
