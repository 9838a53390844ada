// One entry of a dbusmenu layout as it travels over D-Bus, "(ia{sv}av)": id, properties, and children
// each wrapped in a variant. Value type; any thread.
#pragma once

#include <QDBusArgument>
#include <QJsonObject>
#include <QList>
#include <QMetaType>
#include <QVariantMap>

namespace corvane {

struct MenuNode {
    int id = 0;
    QVariantMap properties;
    QList<MenuNode> children;

    // {"id","label","enabled","visible","type","childrenDisplay","children"}, with the dbusmenu defaults
    // for absent properties.
    QJsonObject toJson() const;
};

QDBusArgument& operator<<(QDBusArgument& argument, const MenuNode& node);
const QDBusArgument& operator>>(const QDBusArgument& argument, MenuNode& node);

} // namespace corvane

Q_DECLARE_METATYPE(corvane::MenuNode)
