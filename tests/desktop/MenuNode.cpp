// D-Bus marshalling and JSON form of dbusmenu layouts. Any thread.
#include "MenuNode.h"

#include <QDBusVariant>
#include <QJsonArray>

namespace corvane {

QJsonObject MenuNode::toJson() const
{
    QJsonArray childObjects;
    for (const MenuNode& child : children) {
        childObjects.append(child.toJson());
    }
    return {
        {QStringLiteral("id"), id},
        {QStringLiteral("label"), properties.value(QStringLiteral("label")).toString()},
        {QStringLiteral("enabled"), properties.value(QStringLiteral("enabled"), true).toBool()},
        {QStringLiteral("visible"), properties.value(QStringLiteral("visible"), true).toBool()},
        {QStringLiteral("type"), properties.value(QStringLiteral("type"), QStringLiteral("standard")).toString()},
        {QStringLiteral("childrenDisplay"), properties.value(QStringLiteral("children-display")).toString()},
        {QStringLiteral("children"), childObjects},
    };
}

QDBusArgument& operator<<(QDBusArgument& argument, const MenuNode& node)
{
    argument.beginStructure();
    argument << node.id << node.properties;
    argument.beginArray(QMetaType::fromType<QDBusVariant>());
    for (const MenuNode& child : node.children) {
        argument << QDBusVariant(QVariant::fromValue(child));
    }
    argument.endArray();
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, MenuNode& node)
{
    argument.beginStructure();
    argument >> node.id >> node.properties;
    node.children.clear();
    argument.beginArray();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        node.children.append(qdbus_cast<MenuNode>(child.variant()));
    }
    argument.endArray();
    argument.endStructure();
    return argument;
}

} // namespace corvane
