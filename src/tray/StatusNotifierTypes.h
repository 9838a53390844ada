// The compound types of the org.kde.StatusNotifierItem interface as they travel over D-Bus, each with
// one QDBusArgument operator pair, and the conversion of our icon into the pixmaps the item carries.
// registerStatusNotifierTypes() makes them known to QtDBus before the item is exported. Value types;
// any thread, except iconPixmaps (a QIcon: main thread).
#pragma once

#include <QByteArray>
#include <QDBusArgument>
#include <QList>
#include <QMetaType>
#include <QString>

class QIcon;

namespace corvane {

// One icon image: width, height and ARGB32 pixels in network byte order, "(iiay)".
struct IconPixmap {
    int width = 0;
    int height = 0;
    QByteArray bytes;
};
using IconPixmapList = QList<IconPixmap>;

// The item's tooltip: icon name, icon pixmaps, title, description, "(sa(iiay)ss)".
struct ItemToolTip {
    QString iconName;
    IconPixmapList iconPixmaps;
    QString title;
    QString description;
};

void registerStatusNotifierTypes();

// One pixmap for each size the icon holds, smallest first.
IconPixmapList iconPixmaps(const QIcon& icon);

QDBusArgument& operator<<(QDBusArgument& argument, const IconPixmap& pixmap);
const QDBusArgument& operator>>(const QDBusArgument& argument, IconPixmap& pixmap);
QDBusArgument& operator<<(QDBusArgument& argument, const ItemToolTip& toolTip);
const QDBusArgument& operator>>(const QDBusArgument& argument, ItemToolTip& toolTip);

} // namespace corvane

Q_DECLARE_METATYPE(corvane::IconPixmap)
Q_DECLARE_METATYPE(corvane::IconPixmapList)
Q_DECLARE_METATYPE(corvane::ItemToolTip)
