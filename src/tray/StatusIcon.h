// The status item's icon: the template image, drawn light with a dark rim so that it reads on light
// and dark panels alike, with the icon status mark as a badge in its lower right corner. Linux shells
// draw no text beside a tray icon, so the mark has to be part of the picture.
// Main thread (QPainter on pixmaps).
#pragma once

#include <QHash>
#include <QIcon>
#include <QString>

#include <string_view>

namespace corvane {

// The mark for a status word: " …" busy, " !" partial, " Ⅱ" suspended, " –" stopped, empty otherwise.
QString statusMark(std::string_view status);

class StatusIcon final {
public:
    // Loads the template image; without it the icon is the badge alone.
    StatusIcon();

    // The icon for a mark, drawn once per mark: the same QIcon each time keeps Qt's pixmap cache, which
    // is keyed by icon, from filling with copies when the status goes back and forth.
    const QIcon& icon(const QString& mark);

private:
    QIcon render(const QString& mark) const;
    QPixmap renderPixmap(int size, const QString& mark) const;

    QImage m_template;
    QHash<QString, QIcon> m_icons;
};

} // namespace corvane
