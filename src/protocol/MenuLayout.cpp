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
    LayoutKey key;
    key.assign(entry);
    return key;
}

void LayoutKey::assign(const MenuEntry& entry)
{
    if (isCanonical(entry.id)) {
        canonicalId = entry.id;
    } else {
        canonicalId = canonicalForm(entry.id);
    }
    separator = entry.isSeparator();
    childCount = childCountOf(entry);
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
        (count < layout.size() ? layout[count] : layout.emplace_back()).assign(entry);
        ++count;
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
