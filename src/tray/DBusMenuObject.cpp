#include "tray/DBusMenuObject.h"

#include <QGuiApplication>
#include <QTimer>

#include <algorithm>
#include <dbusmenu_adaptor.h>
#include <utility>

namespace corvane {

DBusMenuObject::DBusMenuObject(Picked picked, QObject* parent) : QObject(parent), m_picked(std::move(picked))
{
    registerMenuTypes();
    new DbusmenuAdaptor(this);
}

void DBusMenuObject::rebuild(const TrayState& state)
{
    m_model.rebuild(state);
    m_layoutChanged = true;
    // The new layout holds every property changed before it; the ids they name are gone.
    m_changed.clear();
    scheduleSignal();
}

void DBusMenuObject::update(const TrayState& state)
{
    const MenuItemPropertiesList changed = m_model.update(state);
    if (changed.isEmpty() || m_layoutChanged) {
        return;
    }
    for (const MenuItemProperties& item : changed) {
        const auto earlier = std::find_if(m_changed.begin(), m_changed.end(),
                                          [&item](const MenuItemProperties& other) { return other.id == item.id; });
        if (earlier == m_changed.end()) {
            m_changed.append(item);
        } else {
            earlier->properties.insert(item.properties);
        }
    }
    scheduleSignal();
}

void DBusMenuObject::scheduleSignal()
{
    if (!m_signalScheduled) {
        m_signalScheduled = true;
        // A zero timer fires once the event loop has handled what is waiting, input lines included.
        QTimer::singleShot(0, this, &DBusMenuObject::sendSignal);
    }
}

void DBusMenuObject::sendSignal()
{
    m_signalScheduled = false;
    if (std::exchange(m_layoutChanged, false)) {
        Q_EMIT LayoutUpdated(m_model.revision(), 0);
    } else if (!m_changed.isEmpty()) {
        Q_EMIT ItemsPropertiesUpdated(std::exchange(m_changed, {}), {});
    }
}

QString DBusMenuObject::textDirection() const
{
    return QGuiApplication::layoutDirection() == Qt::RightToLeft ? QStringLiteral("rtl") : QStringLiteral("ltr");
}

uint DBusMenuObject::GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                               MenuLayoutItem& layout)
{
    answer(m_model.layout(parentId, recursionDepth, propertyNames, layout));
    return m_model.revision();
}

MenuItemPropertiesList DBusMenuObject::GetGroupProperties(const MenuIdList& ids, const QStringList& propertyNames)
{
    MenuItemPropertiesList properties;
    answer(m_model.groupProperties(ids, propertyNames, properties));
    return properties;
}

QDBusVariant DBusMenuObject::GetProperty(int id, const QString& name)
{
    QVariant value;
    answer(m_model.property(id, name, value));
    return QDBusVariant(value.isValid() ? value : QVariant(QString()));
}

void DBusMenuObject::Event(int id, const QString& eventId, const QDBusVariant& /*data*/, uint /*timestamp*/)
{
    std::vector<std::string> picked;
    if (answer(m_model.event(id, eventId, picked))) {
        report(picked);
    }
}

MenuIdList DBusMenuObject::EventGroup(const MenuEventList& events)
{
    MenuIdList idErrors;
    std::vector<std::string> picked;
    if (answer(m_model.eventGroup(events, idErrors, picked))) {
        report(picked);
    }
    return idErrors;
}

bool DBusMenuObject::AboutToShow(int id)
{
    bool needUpdate = false;
    answer(m_model.aboutToShow(id, needUpdate));
    return needUpdate;
}

MenuIdList DBusMenuObject::AboutToShowGroup(const MenuIdList& ids, MenuIdList& idErrors)
{
    MenuIdList updatesNeeded;
    answer(m_model.aboutToShowGroup(ids, updatesNeeded, idErrors));
    return updatesNeeded;
}

bool DBusMenuObject::answer(const std::optional<MenuCallFailure>& failure)
{
    if (!failure) {
        return true;
    }
    if (calledFromDBus()) {
        sendErrorReply(failure->name, failure->message);
    }
    return false;
}

void DBusMenuObject::report(const std::vector<std::string>& picked)
{
    for (const std::string& action : picked) {
        m_picked(action);
    }
}

} // namespace corvane
