// The compound types of the com.canonical.dbusmenu interface as they travel over D-Bus, each with one
// QDBusArgument operator pair. registerMenuTypes() makes them known to QtDBus; it must run before any
// of them is sent or received (the menu object calls it). Value types; any thread.
#pragma once

#include <QDBusArgument>
#include <QDBusVariant>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace corvane {

// One item of a layout and, as variants, its children: "(ia{sv}av)".
struct MenuLayoutItem {
    int id = 0;
    QVariantMap properties;
    QList<MenuLayoutItem> children;
};

// An item's properties: "(ia{sv})".
struct MenuItemProperties {
    int id = 0;
    QVariantMap properties;
};
using MenuItemPropertiesList = QList<MenuItemProperties>;

// Names of an item's properties that went back to their defaults: "(ias)".
struct MenuItemPropertyNames {
    int id = 0;
    QStringList names;
};
using MenuItemPropertyNamesList = QList<MenuItemPropertyNames>;

// One event of an EventGroup call: "(isvu)".
struct MenuEvent {
    int id = 0;
    QString eventId;
    QDBusVariant data;
    uint timestamp = 0;
};
using MenuEventList = QList<MenuEvent>;

// Item ids: "ai".
using MenuIdList = QList<int>;

void registerMenuTypes();

QDBusArgument& operator<<(QDBusArgument& argument, const MenuLayoutItem& item);
const QDBusArgument& operator>>(const QDBusArgument& argument, MenuLayoutItem& item);
QDBusArgument& operator<<(QDBusArgument& argument, const MenuItemProperties& item);
const QDBusArgument& operator>>(const QDBusArgument& argument, MenuItemProperties& item);
QDBusArgument& operator<<(QDBusArgument& argument, const MenuItemPropertyNames& item);
const QDBusArgument& operator>>(const QDBusArgument& argument, MenuItemPropertyNames& item);
QDBusArgument& operator<<(QDBusArgument& argument, const MenuEvent& event);
const QDBusArgument& operator>>(const QDBusArgument& argument, MenuEvent& event);

} // namespace corvane

Q_DECLARE_METATYPE(corvane::MenuLayoutItem)
Q_DECLARE_METATYPE(corvane::MenuItemProperties)
Q_DECLARE_METATYPE(corvane::MenuItemPropertiesList)
Q_DECLARE_METATYPE(corvane::MenuItemPropertyNames)
Q_DECLARE_METATYPE(corvane::MenuItemPropertyNamesList)
Q_DECLARE_METATYPE(corvane::MenuEvent)
Q_DECLARE_METATYPE(corvane::MenuEventList)
