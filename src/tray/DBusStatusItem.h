// The status item on the D-Bus (StatusNotifierItem) path, exported by us on a bus connection given by
// the owner: the item at /StatusNotifierItem, its menu at /MenuBar, registered with the watcher under
// org.kde.StatusNotifierItem-<pid>-<serial> (ItemRegistration). A state whose layout is unchanged
// updates the rows in place (the host gets only what changed); any other state replaces the rows (the
// host is told the layout changed and fetches it when it needs it). A click on an enabled row with an
// action becomes a "menu" event. Main thread.
#pragma once

#include "protocol/EventSink.h"
#include "protocol/MenuLayout.h"
#include "protocol/TrayFrontend.h"
#include "tray/StatusIcon.h"
#include "tray/StatusNotifierTypes.h"

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace corvane {

class DBusMenuObject;
class ItemRegistration;
class StatusNotifierItemObject;

class DBusStatusItem final : public QObject, public TrayFrontend {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DBusStatusItem)

public:
    DBusStatusItem(EventSink& events, QDBusConnection connection, int serial, QObject* parent = nullptr);
    ~DBusStatusItem() override;

    void apply(const TrayState& state) override;
    bool exerciseMenu(std::string_view id) override;

    // Shows the icon with the mark for `status` and `summary` (already cut) as the tooltip.
    void setIcon(std::string_view status, std::string_view summary);

    // The name the item is registered under.
    QString serviceName() const;

Q_SIGNALS:
    // A watcher accepted the item's registration.
    void registered();

private:
    // The icon's pixmaps for a mark, drawn when a host first asks for them.
    const IconPixmapList& pixmapsFor(const QString& mark);

    EventSink& m_events;
    QDBusConnection m_connection;
    std::optional<StatusIcon> m_iconPainter;
    QHash<QString, IconPixmapList> m_pixmaps;
    DBusMenuObject* m_menu = nullptr;
    StatusNotifierItemObject* m_item = nullptr;
    ItemRegistration* m_registration = nullptr;
    MenuLayout m_menuLayout;
    // The icon status and cut tooltip last shown, and the mark they were shown with.
    std::string m_shownStatus;
    std::string m_shownSummary;
    QString m_shownMark;
    bool m_iconShown = false;
};

} // namespace corvane
