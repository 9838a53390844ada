// D-Bus marshalling and image conversion of icon pixmaps. Any thread.
#include "IconPixmap.h"

#include <QtEndian>

namespace corvane {

QImage IconPixmap::toImage() const
{
    if (width <= 0 || height <= 0 || bytes.size() < qsizetype(width) * height * 4) {
        return {};
    }
    QImage image(width, height, QImage::Format_ARGB32);
    const auto* source = reinterpret_cast<const uchar*>(bytes.constData());
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            line[x] = qFromBigEndian<quint32>(source + (qsizetype(y) * width + x) * 4);
        }
    }
    return image;
}

QDBusArgument& operator<<(QDBusArgument& argument, const IconPixmap& pixmap)
{
    argument.beginStructure();
    argument << pixmap.width << pixmap.height << pixmap.bytes;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, IconPixmap& pixmap)
{
    argument.beginStructure();
    argument >> pixmap.width >> pixmap.height >> pixmap.bytes;
    argument.endStructure();
    return argument;
}

} // namespace corvane
