// The controller's whole description of the tray: status words, tooltip and the menu rows.
// Plain values: copying a state copies its rows. Nothing here checks anything; see TrayStateDecoder and
// TrayStateValidation.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace corvane {

struct MenuEntry {
    std::string id;
    std::string text;
    bool enabled = false;
    std::optional<std::string> action;
    std::optional<bool> separator;
    std::optional<std::vector<MenuEntry>> children;

    bool isSeparator() const { return separator.value_or(false); }
    bool hasChildren() const { return children && !children->empty(); }
    // The action to report when the row is picked; empty when there is none.
    const std::string& actionOrEmpty() const;
};

struct TrayState {
    std::string status;
    std::string iconStatus;
    std::string tooltip;
    std::vector<MenuEntry> menu;

    // Each top-level row followed by its direct children, in order. Children of children are not
    // included; each row keeps its own children.
    std::vector<MenuEntry> entries() const;
    // The same rows as entries(), without copying them.
    std::vector<const MenuEntry*> entryViews() const;

    // Calls `visit` with each row of entries(), in order, without building the list. Stops early when
    // `visit` answers false; answers whether it went through every row.
    template <typename Visit> bool forEachEntry(Visit&& visit) const
    {
        for (const MenuEntry& row : menu) {
            if (!visit(row)) {
                return false;
            }
            if (row.children) {
                for (const MenuEntry& child : *row.children) {
                    if (!visit(child)) {
                        return false;
                    }
                }
            }
        }
        return true;
    }
};

} // namespace corvane
