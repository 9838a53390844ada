#include "tray/StatusIcon.h"

#include <QPainter>
#include <QPainterPath>

#include <array>

namespace corvane {
namespace {

struct MarkStyle {
    std::string_view status;
    const char16_t* mark;
    QRgb colour;
};

constexpr std::array<MarkStyle, 4> markStyles = {{
    {"busy", u" \u2026", qRgb(0x1f, 0x6f, 0xd1)},
    {"partial", u" !", qRgb(0xd9, 0x8a, 0x00)},
    {"suspended", u" \u2161", qRgb(0x6b, 0x72, 0x80)},
    {"stopped", u" \u2013", qRgb(0xc6, 0x28, 0x28)},
}};

const MarkStyle* styleForMark(const QString& mark)
{
    for (const MarkStyle& style : markStyles) {
        if (mark == QString::fromUtf16(style.mark)) {
            return &style;
        }
    }
    return nullptr;
}

// The template's alpha, filled with one colour.
QImage tinted(const QImage& alpha, QColor colour)
{
    QImage image(alpha.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    painter.drawImage(0, 0, alpha);
    return image;
}

// The mark drawn as shapes: text would load the font machinery for four glyphs.
void drawMarkGlyph(QPainter& painter, const QRectF& badge, std::string_view status)
{
    const qreal unit = badge.width() / 8.0;
    const QPointF centre = badge.center();
    const auto bar = [&](qreal x, qreal y, qreal width, qreal height) {
        painter.drawRoundedRect(QRectF(centre.x() + x * unit - width * unit / 2,
                                       centre.y() + y * unit - height * unit / 2, width * unit, height * unit),
                                unit / 3, unit / 3);
    };
    if (status == "busy") {
        for (const qreal x : {-2.2, 0.0, 2.2}) {
            painter.drawEllipse(QPointF(centre.x() + x * unit, centre.y()), unit * 0.8, unit * 0.8);
        }
    } else if (status == "partial") {
        bar(0, -0.9, 1.5, 3.6);
        painter.drawEllipse(QPointF(centre.x(), centre.y() + 2.3 * unit), unit * 0.8, unit * 0.8);
    } else if (status == "suspended") {
        bar(-1.2, 0, 1.4, 4.6);
        bar(1.2, 0, 1.4, 4.6);
    } else if (status == "stopped") {
        bar(0, 0, 4.6, 1.4);
    }
}

} // namespace

QString statusMark(std::string_view status)
{
    for (const MarkStyle& style : markStyles) {
        if (style.status == status) {
            return QString::fromUtf16(style.mark);
        }
    }
    return {};
}

StatusIcon::StatusIcon() : m_template(QStringLiteral(":/corvane/CorvaneTemplate@2x.png"))
{
    // Qt gives an "@2x" file a device pixel ratio of 2; the pixmaps drawn here are in device pixels.
    m_template.setDevicePixelRatio(1);
}

const QIcon& StatusIcon::icon(const QString& mark)
{
    auto found = m_icons.find(mark);
    if (found == m_icons.end()) {
        found = m_icons.insert(mark, render(mark));
    }
    return *found;
}

QIcon StatusIcon::render(const QString& mark) const
{
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64}) {
        icon.addPixmap(renderPixmap(size, mark));
    }
    return icon;
}

QPixmap StatusIcon::renderPixmap(int size, const QString& mark) const
{
    QImage canvas(size, size, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    if (!m_template.isNull()) {
        const QImage glyph = m_template.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        const QImage rim = tinted(glyph, QColor(0x20, 0x20, 0x20, 0xd0));
        // A dark rim one pixel around a light glyph reads on light and dark panels.
        for (const QPoint offset : {QPoint(-1, 0), QPoint(1, 0), QPoint(0, -1), QPoint(0, 1)}) {
            painter.drawImage(offset, rim);
        }
        painter.drawImage(0, 0, tinted(glyph, QColor(0xf5, 0xf5, 0xf5)));
    }
    if (const MarkStyle* style = styleForMark(mark)) {
        const qreal diameter = size * 0.62;
        const QRectF badge(size - diameter - 0.5, size - diameter - 0.5, diameter, diameter);
        painter.setPen(QPen(QColor(0xff, 0xff, 0xff), qMax(1.0, size / 16.0)));
        painter.setBrush(QColor(style->colour));
        painter.drawEllipse(badge);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        drawMarkGlyph(painter, badge, style->status);
    }
    painter.end();
    return QPixmap::fromImage(canvas);
}

} // namespace corvane
