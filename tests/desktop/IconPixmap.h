// One image of a tray item's icon as it travels over D-Bus, "(iiay)": ARGB32 pixels in network byte order.
// Value type; any thread.
#pragma once

#include <QByteArray>
#include <QDBusArgument>
#include <QImage>
#include <QMetaType>

namespace corvane {

struct IconPixmap {
    int width = 0;
    int height = 0;
    QByteArray bytes;

    // A null image when the bytes are too few for the size.
    QImage toImage() const;
};

QDBusArgument& operator<<(QDBusArgument& argument, const IconPixmap& pixmap);
const QDBusArgument& operator>>(const QDBusArgument& argument, IconPixmap& pixmap);

} // namespace corvane

Q_DECLARE_METATYPE(corvane::IconPixmap)
