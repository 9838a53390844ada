// The tray's status item: one QSystemTrayIcon with one QMenu for the life of the process. A state whose
// layout (ids, order, separators, child counts) is unchanged updates titles, enabled flags and actions in
// place; any other state refills the same menu. Picked rows with an action become "menu" events.
// Entries whose values are unchanged since the last state cost no Qt calls, and an unchanged icon status
// and tooltip cost none either. Main thread.
#pragma once

#include "protocol/EventSink.h"
#include "protocol/MenuLayout.h"
#include "protocol/TrayFrontend.h"
#include "tray/StatusIcon.h"

#include <QObject>

#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace corvane {

class StatusItem final : public QObject, public TrayFrontend {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatusItem)

public:
    explicit StatusItem(EventSink& events, QObject* parent = nullptr);
    ~StatusItem() override;

    void apply(const TrayState& state) override;
    bool exerciseMenu(std::string_view id) override;

    // Shows the icon with the mark for `status` and `summary` (already cut) as the tooltip.
    void setIcon(std::string_view status, std::string_view summary);

Q_SIGNALS:
    // A state was applied (whether or not anything shown changed).
    void applied();

private:
    // A row of the menu (not a separator) and the entry values it was last set from, so that an entry
    // that has not changed costs no Qt work. Held in a deque: the row's triggered() handler keeps its
    // address.
    struct Row {
        QAction* item = nullptr;
        std::string text;
        std::string action;
        bool enabled = false;
    };

    void buildTray();
    void rebuild(const TrayState& state);
    void addRows(QMenu* menu, const std::vector<MenuEntry>& rows);
    Row& addRow(QMenu* menu, const MenuEntry& entry);
    void updateRow(Row& row, const MenuEntry& entry);
    void updateEntry(std::size_t index, const MenuEntry& entry);
    void menuAction(const Row& row);
    Row* rowFor(std::string_view id) const;

    EventSink& m_events;
    StatusIcon m_iconPainter;
    QSystemTrayIcon* m_trayIcon = nullptr;
    QMenu* m_menu = nullptr;
    std::vector<QMenu*> m_submenus;
    std::deque<Row> m_rows;
    // Rows by canonical id.
    std::unordered_map<std::string, Row*> m_items;
    // The row for each entry of the applied state, in TrayState::entryViews() order (null for entries
    // without one, such as separators): what rowFor(id) answered when the layout was built, which holds
    // for as long as the layout does.
    std::vector<Row*> m_entryRows;
    MenuLayout m_menuLayout;
    // The icon status and cut tooltip last shown, and what they were shown as.
    std::string m_shownStatus;
    std::string m_shownSummary;
    QString m_shownMark;
    QString m_shownTooltip;
    bool m_iconShown = false;
};

} // namespace corvane
