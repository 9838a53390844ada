#include "protocol/TrayStateValidation.h"

#include "protocol/UnicodeText.h"

#include <algorithm>
#include <array>

namespace corvane {
namespace {

bool uniqueIds(const std::vector<const MenuEntry*>& entries)
{
    std::vector<std::string> ids;
    ids.reserve(entries.size());
    for (const MenuEntry* entry : entries) {
        ids.push_back(canonicalForm(entry->id));
    }
    std::sort(ids.begin(), ids.end());
    return std::adjacent_find(ids.begin(), ids.end()) == ids.end();
}

bool idLengthsFit(const std::vector<const MenuEntry*>& entries)
{
    return std::all_of(entries.begin(), entries.end(),
                       [](const MenuEntry* entry) { return !entry->id.empty() && entry->id.size() <= maxIdBytes; });
}

// A row with children is a plain submenu parent: no separator, no action, and children without
// children of their own.
bool parentsWellShaped(const std::vector<MenuEntry>& menu)
{
    return std::all_of(menu.begin(), menu.end(), [](const MenuEntry& row) {
        if (!row.hasChildren()) {
            return true;
        }
        return !row.isSeparator() && row.actionOrEmpty().empty() &&
               std::none_of(row.children->begin(), row.children->end(),
                            [](const MenuEntry& child) { return child.hasChildren(); });
    });
}

} // namespace

bool isStatusWord(std::string_view word)
{
    static constexpr std::array<std::string_view, 5> words = {"ready", "partial", "suspended", "busy", "stopped"};
    return std::find(words.begin(), words.end(), word) != words.end();
}

std::optional<TrayStateRule> firstBrokenRule(const TrayState& state)
{
    if (!isStatusWord(state.status)) {
        return TrayStateRule::KnownStatus;
    }
    if (!isStatusWord(state.iconStatus)) {
        return TrayStateRule::KnownIconStatus;
    }
    if (state.menu.size() < minTopLevelRows || state.menu.size() > maxTopLevelRows) {
        return TrayStateRule::TopLevelRowCount;
    }
    const std::vector<const MenuEntry*> entries = state.entryViews();
    if (entries.size() > maxEntries) {
        return TrayStateRule::EntryCount;
    }
    if (!uniqueIds(entries)) {
        return TrayStateRule::UniqueIds;
    }
    if (!idLengthsFit(entries)) {
        return TrayStateRule::IdLength;
    }
    if (!parentsWellShaped(state.menu)) {
        return TrayStateRule::ParentShape;
    }
    return std::nullopt;
}

} // namespace corvane
