// The layout of a tray menu: one key per entry (canonical id, separator flag, child count), with ids in
// canonical form so that layouts compare under canonical equivalence. The menu is rebuilt only when the
// layout changes. Pure; safe on any thread.
#pragma once

#include "protocol/TrayState.h"

#include <cstddef>
#include <string>
#include <vector>

namespace corvane {

struct LayoutKey {
    std::string canonicalId;
    bool separator = false;
    std::size_t childCount = 0;

    static LayoutKey of(const MenuEntry& entry);
    // Makes this key the key of `entry`, reusing the memory of its id.
    void assign(const MenuEntry& entry);
    // Whether `entry` has this key, found without allocating while its id is in canonical form.
    bool matches(const MenuEntry& entry) const;
    bool operator==(const LayoutKey&) const = default;
};

using MenuLayout = std::vector<LayoutKey>;

MenuLayout menuLayout(const TrayState& state);
// Makes `layout` menuLayout(state), reusing its memory.
void assignMenuLayout(const TrayState& state, MenuLayout& layout);

// Whether menuLayout(state) == layout, found without building the keys.
bool hasLayout(const TrayState& state, const MenuLayout& layout);

} // namespace corvane
