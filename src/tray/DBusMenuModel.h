// The status item's menu as the com.canonical.dbusmenu interface shows it, without any bus: the rows
// of the applied tray state under dbusmenu item ids, a layout revision, and the answer to every method
// of the interface. Bus callers are untrusted: every method checks all of its arguments first and
// answers a bad one (an unknown id, a recursion depth below -1 or above maxRecursionDepth, a property
// name the interface does not define, an event name it does not define) with a failure and no effect.
//
// Item 0 is the root. A rebuild gives every row an id never used before (until the ids run out and
// start again at 1), so a host that clicks a row of a menu it has not reloaded gets an error instead of
// the row that now has its place. The revision grows with every change. Main thread by use; no Qt
// object, so tests and the fuzzer call it directly.
#pragma once

#include "protocol/TrayState.h"
#include "tray/DBusMenuTypes.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// Why a bus call was refused: the D-Bus error name and message to answer with.
struct MenuCallFailure {
    QString name;
    QString message;
};

class DBusMenuModel final {
public:
    static constexpr int maxRecursionDepth = 64;

    // A new menu holds the disabled starting row.
    DBusMenuModel();

    // ---- The tray's side ----

    // Replaces every row with the rows of `state`.
    void rebuild(const TrayState& state);
    // Sets titles, enabled flags and actions from a state whose layout is the one shown; answers the
    // properties that changed, by item (empty when nothing the host sees changed).
    MenuItemPropertiesList update(const TrayState& state);
    // For a smoke run's exercise: whether the row shown for entry `id` (ids compared under canonical
    // equivalence) exists and is enabled; its action (possibly empty) goes to `action`.
    bool enabledRow(std::string_view id, std::string& action) const;
    uint revision() const { return m_revision; }

    // ---- The bus's side: the methods of com.canonical.dbusmenu ----

    std::optional<MenuCallFailure> layout(int parentId, int depth, const QStringList& names,
                                          MenuLayoutItem& layout) const;
    std::optional<MenuCallFailure> groupProperties(const MenuIdList& ids, const QStringList& names,
                                                   MenuItemPropertiesList& properties) const;
    std::optional<MenuCallFailure> property(int id, const QString& name, QVariant& value) const;
    // `picked` receives the action of each "clicked" row that is enabled and has one.
    std::optional<MenuCallFailure> event(int id, const QString& eventId, std::vector<std::string>& picked) const;
    // Events for unknown ids are skipped and their ids listed in `idErrors`; when no event names a
    // known id, the call fails.
    std::optional<MenuCallFailure> eventGroup(const MenuEventList& events, MenuIdList& idErrors,
                                              std::vector<std::string>& picked) const;
    std::optional<MenuCallFailure> aboutToShow(int id, bool& needUpdate) const;
    std::optional<MenuCallFailure> aboutToShowGroup(const MenuIdList& ids, MenuIdList& updatesNeeded,
                                                    MenuIdList& idErrors) const;

private:
    struct Item {
        std::vector<int> children;
        std::string entryId;
        // The entry text the label is made from.
        std::string text;
        std::string action;
        // The label, made when it is first needed (a host reads it, or an update compares it): most
        // layouts are replaced before any host reads them.
        mutable std::optional<QString> label;
        // The row carries the shown text for screen readers (see accessibleDescOf) while its label holds
        // an underscore, and for good once an update gave it one.
        bool keepsAccessibleDesc = false;
        bool enabled = true;
        bool separator = false;
    };

    // Fills items from `next` on with `entries` and their children, reusing the items (and the memory of
    // their strings) left from earlier layouts; answers the index after the last one filled.
    std::size_t setItems(const std::vector<MenuEntry>& entries, std::size_t parent, std::size_t next);
    Item& itemAt(std::size_t index);
    static void setItem(Item& item, const MenuEntry& entry);
    const QString& labelOf(const Item& item) const;
    int idOf(std::size_t index) const;
    std::optional<std::size_t> indexOf(int id) const;
    QVariantMap properties(std::size_t index, const QStringList& names) const;
    MenuLayoutItem layoutItem(std::size_t index, int depth, const QStringList& names) const;
    void pick(std::size_t index, const QString& eventId, std::vector<std::string>& picked) const;

    // Index 0 is the root; item i > 0 has the id m_idBase + i.
    std::vector<Item> m_items;
    int m_idBase = 0;
    uint m_revision = 1;
};

} // namespace corvane
