#include "tray/StatusIcon.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

#include <array>

namespace corvane {
namespace {

struct MarkStyle {
    std::string_view status;
    const char16_t* mark;
    // Each at 3:1 or better on #f2f2f2 and #202020 panels, and under a white mark.
    QRgb colour;
};

constexpr std::array<MarkStyle, 4> markStyles = {{
    {"busy", u" \u2026", qRgb(0x0f, 0x7b, 0x6c)},
    {"partial", u" !", qRgb(0xb8, 0x6e, 0x00)},
    {"suspended", u" \u2161", qRgb(0x6b, 0x72, 0x80)},
    {"stopped", u" \u2013", qRgb(0xd3, 0x2f, 0x2f)},
}};

// The badge's diameter as a share of the icon, and the gap cut around it.
constexpr qreal badgeShare = 9.0 / 16.0;
constexpr qreal gapShare = 1.0 / 16.0;

const MarkStyle* styleForMark(const QString& mark)
{
    for (const MarkStyle& style : markStyles) {
        if (mark == QString::fromUtf16(style.mark)) {
            return &style;
        }
    }
    return nullptr;
}

// The mark drawn as shapes on a badge: text would load the font machinery for four glyphs, and shapes
// can be fitted to whole pixels at 16 px.
void drawMarkGlyph(QPainter& painter, const QRectF& badge, std::string_view status)
{
    const qreal unit = badge.width() / 9.0;
    const QPointF centre = badge.center();
    const auto bar = [&](qreal x, qreal y, qreal width, qreal height) {
        painter.drawRect(QRectF(centre.x() + (x - width / 2) * unit, centre.y() + (y - height / 2) * unit, width * unit,
                                height * unit));
    };
    if (status == "busy") {
        for (const qreal x : {-2.5, 0.0, 2.5}) {
            bar(x, 0, 1.6, 1.6);
        }
    } else if (status == "partial") {
        bar(0, -1.0, 1.8, 3.6);
        bar(0, 2.3, 1.8, 1.6);
    } else if (status == "suspended") {
        bar(-1.4, 0, 1.8, 5.0);
        bar(1.4, 0, 1.8, 5.0);
    } else if (status == "stopped") {
        bar(0, 0, 5.4, 1.8);
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

StatusIcon::StatusIcon()
    : m_glyph16(std::make_unique<QSvgRenderer>(QStringLiteral(":/corvane/CorvaneTemplate.svg"))),
      m_glyph22(std::make_unique<QSvgRenderer>(QStringLiteral(":/corvane/CorvaneTemplate-22.svg"))),
      m_glyph24(std::make_unique<QSvgRenderer>(QStringLiteral(":/corvane/CorvaneTemplate-24.svg")))
{}

StatusIcon::~StatusIcon() = default;

const QIcon& StatusIcon::icon(const QString& mark)
{
    auto found = m_icons.find(mark);
    if (found == m_icons.end()) {
        QIcon icon;
        for (const int size : sizes) {
            icon.addPixmap(QPixmap::fromImage(render(size, mark)));
        }
        found = m_icons.insert(mark, icon);
    }
    return *found;
}

QImage StatusIcon::render(int size, const QString& mark) const
{
    QImage canvas(size, size, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    // The drawing whose grid divides the size; the 16-unit one, the main artwork, for any other size.
    QSvgRenderer* glyph = size % 16 == 0   ? m_glyph16.get()
                          : size % 24 == 0 ? m_glyph24.get()
                          : size % 22 == 0 ? m_glyph22.get()
                                           : m_glyph16.get();
    if (!glyph->isValid()) {
        glyph = m_glyph16.get();
    }
    if (glyph->isValid()) {
        glyph->render(&painter, QRectF(0, 0, size, size));
    }
    if (const MarkStyle* style = styleForMark(mark)) {
        // Whole pixels, so that the badge and its mark stay sharp at 16 px.
        const qreal diameter = qRound(size * badgeShare);
        const qreal gap = qMax(1.0, qRound(size * gapShare) * 1.0);
        const QRectF badge(size - diameter, size - diameter, diameter, diameter);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        painter.setCompositionMode(QPainter::CompositionMode_Clear);
        painter.drawEllipse(badge.adjusted(-gap, -gap, gap, gap));
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.setBrush(QColor(style->colour));
        painter.drawEllipse(badge);
        painter.setBrush(Qt::white);
        painter.setRenderHint(QPainter::Antialiasing, false);
        drawMarkGlyph(painter, badge, style->status);
    }
    painter.end();
    return canvas;
}

} // namespace corvane
