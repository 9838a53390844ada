// The status item's menu on the bus: com.canonical.dbusmenu (dbus/com.canonical.dbusmenu.xml, adaptor
// generated from it) over a DBusMenuModel. A rebuild sends LayoutUpdated and an in-place change sends
// ItemsPropertiesUpdated with only what changed; hosts fetch the layout when they need it. The signals
// for all the states applied in one pass of the event loop go out once, after it (a stream of states
// costs the host one fetch, not one per state): a new layout then stands for every change made with
// it, and the properties changed in place are merged, each with its last value. A refused call is
// answered with the model's D-Bus error and changes nothing. A click on an enabled row with an action
// calls `picked` with the action. Main thread (QtDBus delivers the calls there).
#pragma once

#include "protocol/TrayState.h"
#include "tray/DBusMenuModel.h"
#include "tray/DBusMenuTypes.h"

#include <QDBusContext>
#include <QDBusVariant>
#include <QObject>
#include <QStringList>

#include <functional>
#include <optional>
#include <string>

namespace corvane {

class DBusMenuObject final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DBusMenuObject)
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath)

public:
    using Picked = std::function<void(const std::string& action)>;

    explicit DBusMenuObject(Picked picked, QObject* parent = nullptr);

    void rebuild(const TrayState& state);
    void update(const TrayState& state);
    const DBusMenuModel& model() const { return m_model; }

    uint version() const { return 3; }
    QString textDirection() const;
    QString status() const { return QStringLiteral("normal"); }
    QStringList iconThemePath() const { return {}; }

    // The interface's methods, called by the adaptor.
    uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames, MenuLayoutItem& layout);
    MenuItemPropertiesList GetGroupProperties(const MenuIdList& ids, const QStringList& propertyNames);
    QDBusVariant GetProperty(int id, const QString& name);
    void Event(int id, const QString& eventId, const QDBusVariant& data, uint timestamp);
    MenuIdList EventGroup(const MenuEventList& events);
    bool AboutToShow(int id);
    MenuIdList AboutToShowGroup(const MenuIdList& ids, MenuIdList& idErrors);

Q_SIGNALS:
    void ItemsPropertiesUpdated(const corvane::MenuItemPropertiesList& updatedProps,
                                const corvane::MenuItemPropertyNamesList& removedProps);
    void LayoutUpdated(uint revision, int parent);
    void ItemActivationRequested(int id, uint timestamp);

private:
    // Answers the caller with the failure, if any; true when there was none.
    bool answer(const std::optional<MenuCallFailure>& failure);
    void report(const std::vector<std::string>& picked);
    void scheduleSignal();
    void sendSignal();

    DBusMenuModel m_model;
    Picked m_picked;
    bool m_signalScheduled = false;
    bool m_layoutChanged = false;
    // Properties changed in place since the last signal, by item, in the order first changed.
    MenuItemPropertiesList m_changed;
};

} // namespace corvane
