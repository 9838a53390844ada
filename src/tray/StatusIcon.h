// The status item's icon: the glyph, vector artwork (resources/CorvaneTemplate.svg, with the same glyph
// redrawn on 22 and 24-unit grids) rendered at every size a panel asks for, its 2x sizes included, from
// the drawing whose grid divides the size, so that its straight edges fall on whole pixels; in one solid colour that
// reads at 3:1 or better on light and dark panels; and the icon status mark as a badge in its lower right corner, cut
// out of the glyph so that it stands apart on any panel. Linux shells draw no text beside a tray icon, so the mark has
// to be part of the picture. Main thread (QPainter on images).
#pragma once

#include <QHash>
#include <QIcon>
#include <QString>

#include <array>
#include <memory>
#include <string_view>

class QSvgRenderer;

namespace corvane {

// The mark for a status word: " …" busy, " !" partial, " Ⅱ" suspended, " –" stopped, empty otherwise.
QString statusMark(std::string_view status);

class StatusIcon final {
public:
    // The square sizes drawn, in device pixels: the panel sizes and their doubles.
    static constexpr std::array<int, 9> sizes = {16, 22, 24, 32, 44, 48, 64, 96, 128};

    // Loads the artwork; without it the icon is the badge alone.
    StatusIcon();
    ~StatusIcon();
    Q_DISABLE_COPY_MOVE(StatusIcon)

    // The icon for a mark, drawn once per mark: the same QIcon each time keeps Qt's pixmap cache, which
    // is keyed by icon, from filling with copies when the status goes back and forth.
    const QIcon& icon(const QString& mark);
    // One size of it, in device pixels.
    QImage render(int size, const QString& mark) const;

private:
    // The glyph on its 16, 22 and 24-unit grids.
    std::unique_ptr<QSvgRenderer> m_glyph16;
    std::unique_ptr<QSvgRenderer> m_glyph22;
    std::unique_ptr<QSvgRenderer> m_glyph24;
    QHash<QString, QIcon> m_icons;
};

} // namespace corvane
