// The tray's status item: one QSystemTrayIcon with one QMenu for the life of the process. A state whose
// layout (ids, order, separators, child counts) is unchanged updates titles, enabled flags and actions in
// place; any other state refills the same menu. Picked rows with an action become "menu" events.
// Main thread.
#pragma once

#include "EventSink.h"
#include "StatusIcon.h"
#include "TrayFrontend.h"
#include "TrayPath.h"

#include <QObject>

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
    StatusItem(EventSink& events, TrayPath path, QObject* parent = nullptr);
    ~StatusItem() override;

    void apply(const TrayState& state) override;
    bool exerciseMenu(std::string_view id) override;

    // Shows the icon with the mark for `status` and `summary` (already cut) as the tooltip.
    void setIcon(std::string_view status, std::string_view summary);

private:
    void buildTray();
    void rebuild(const TrayState& state);
    void addRows(QMenu* menu, const std::vector<MenuEntry>& rows);
    QAction* addRow(QMenu* menu, const MenuEntry& entry);
    void updateRow(QAction* item, const MenuEntry& entry);
    void menuAction(QAction* item);
    QAction* itemFor(std::string_view id) const;

    EventSink& m_events;
    TrayPath m_path = TrayPath::None;
    StatusIcon m_iconPainter;
    QSystemTrayIcon* m_trayIcon = nullptr;
    QMenu* m_menu = nullptr;
    std::vector<QMenu*> m_submenus;
    // Rows that are not separators, by canonical id.
    std::unordered_map<std::string, QAction*> m_items;
    std::vector<std::string> m_menuLayout;
    QString m_shownMark;
    QString m_shownTooltip;
    bool m_iconShown = false;
};

} // namespace corvane
