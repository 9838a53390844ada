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

    // The entries: each top-level row followed by its direct children, in order (children of children
    // are not included; each row keeps its own children). The one walk over them: calls `visit` with
    // each entry, stops early when `visit` answers false, and answers whether it went through them all.
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

    // The entries, in forEachEntry order, without copying them.
    std::vector<const MenuEntry*> entryViews() const;
};

} // namespace corvane
