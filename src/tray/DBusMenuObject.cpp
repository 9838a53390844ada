#include "tray/DBusMenuObject.h"

#include <QGuiApplication>

#include <dbusmenu_adaptor.h>

namespace corvane {

DBusMenuObject::DBusMenuObject(Picked picked, QObject* parent) : QObject(parent), m_picked(std::move(picked))
{
    registerMenuTypes();
    new DbusmenuAdaptor(this);
}

void DBusMenuObject::rebuild(const TrayState& state)
{
    m_model.rebuild(state);
    Q_EMIT LayoutUpdated(m_model.revision(), 0);
}

void DBusMenuObject::update(const TrayState& state)
{
    const MenuItemPropertiesList changed = m_model.update(state);
    if (!changed.isEmpty()) {
        Q_EMIT ItemsPropertiesUpdated(changed, {});
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

void DBusMenuObject::Event(int id, const QString& eventId, const QDBusVariant&, uint)
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
