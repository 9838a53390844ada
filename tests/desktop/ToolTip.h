// A tray item's tooltip as it travels over D-Bus, "(sa(iiay)ss)": icon name, icon pixmaps, title, text.
// Value type; any thread.
#pragma once

#include "IconPixmap.h"

#include <QDBusArgument>
#include <QList>
#include <QMetaType>
#include <QString>

namespace corvane {

struct ToolTip {
    QString iconName;
    QList<IconPixmap> iconPixmaps;
    QString title;
    QString text;
};

QDBusArgument& operator<<(QDBusArgument& argument, const ToolTip& toolTip);
const QDBusArgument& operator>>(const QDBusArgument& argument, ToolTip& toolTip);

} // namespace corvane

Q_DECLARE_METATYPE(corvane::ToolTip)
