#include "MenuLayout.h"

#include "UnicodeText.h"

namespace corvane {

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

} // namespace corvane
