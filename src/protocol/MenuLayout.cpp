#include "protocol/MenuLayout.h"

#include "protocol/UnicodeText.h"

namespace corvane {
namespace {

std::size_t childCountOf(const MenuEntry& entry)
{
    return entry.children ? entry.children->size() : 0;
}

} // namespace

LayoutKey LayoutKey::of(const MenuEntry& entry)
{
    return {canonicalForm(entry.id), entry.isSeparator(), childCountOf(entry)};
}

bool LayoutKey::matches(const MenuEntry& entry) const
{
    if (separator != entry.isSeparator() || childCount != childCountOf(entry)) {
        return false;
    }
    return isCanonical(entry.id) ? canonicalId == entry.id : canonicalId == canonicalForm(entry.id);
}

MenuLayout menuLayout(const TrayState& state)
{
    MenuLayout layout;
    assignMenuLayout(state, layout);
    return layout;
}

void assignMenuLayout(const TrayState& state, MenuLayout& layout)
{
    std::size_t count = 0;
    state.forEachEntry([&layout, &count](const MenuEntry& entry) {
        LayoutKey& key = count < layout.size() ? layout[count] : layout.emplace_back();
        ++count;
        if (isCanonical(entry.id)) {
            key.canonicalId = entry.id;
        } else {
            key.canonicalId = canonicalForm(entry.id);
        }
        key.separator = entry.isSeparator();
        key.childCount = childCountOf(entry);
        return true;
    });
    layout.resize(count);
}

bool hasLayout(const TrayState& state, const MenuLayout& layout)
{
    std::size_t index = 0;
    const bool allMatch = state.forEachEntry(
        [&layout, &index](const MenuEntry& entry) { return index < layout.size() && layout[index++].matches(entry); });
    return allMatch && index == layout.size();
}

} // namespace corvane
