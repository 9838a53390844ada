// The status item, on whichever path reaches the desktop shell: our own StatusNotifierItem export
// (DBusStatusItem) on the D-Bus path, Qt's QSystemTrayIcon (StatusItem) on the XEmbed path, nothing
// while there is no tray at all. moveTo() rebuilds the item on another path from the last state
// applied, so the shell shows the same rows, icon and tooltip; the controller sees nothing of it.
//
// The item's bus connection is our own, opened once and kept for the life of the object, so that its
// traffic can be paced (BusPacing pings busService()) whichever path is in use. Main thread.
#pragma once

#include "protocol/EventSink.h"
#include "protocol/TrayFrontend.h"
#include "tray/TrayPath.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

namespace corvane {

class TrayItem final : public QObject, public TrayFrontend {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TrayItem)

public:
    TrayItem(EventSink& events, TrayPath path, QObject* parent = nullptr);
    ~TrayItem() override;

    void apply(const TrayState& state) override;
    bool exerciseMenu(std::string_view id) override;

    // Rebuilds the item on `path` with the state shown now; nothing when it is there already.
    void moveTo(TrayPath path);
    TrayPath path() const { return m_path; }

    // The unique bus name of the item's connection; empty without a session bus.
    QString busService() const;
    // On the D-Bus path, the names a watcher may list the item under; empty otherwise.
    QStringList itemNames() const;

Q_SIGNALS:
    // A state was applied (whether or not anything shown changed).
    void applied();
    // A watcher accepted the item's registration (D-Bus path).
    void registered();

private:
    void build();

    EventSink& m_events;
    TrayPath m_path = TrayPath::None;
    QDBusConnection m_bus;
    int m_serial = 0;
    QObject* m_view = nullptr;
    TrayFrontend* m_frontend = nullptr;
    QString m_itemService;
    std::optional<TrayState> m_state;
};

} // namespace corvane
