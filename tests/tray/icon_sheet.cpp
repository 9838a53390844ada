// Draws the icon sheet for docs/images: every status (rows) at every size (columns), on a light (#f2f2f2)
// and a dark (#202020) panel, each icon also magnified four times without smoothing so its pixels show.
//
//   icon_sheet output.png
#include "tray/StatusIcon.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: icon_sheet output.png\n", stderr);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QGuiApplication application(argc, argv);
    corvane::StatusIcon painter;
    const char* const statuses[] = {"ready", "busy", "partial", "suspended", "stopped"};
    const QColor panels[] = {QColor(0xf2, 0xf2, 0xf2), QColor(0x20, 0x20, 0x20)};
    constexpr int magnify = 4;
    constexpr int gap = 8;
    int columnWidth = 0;
    for (const int size : corvane::StatusIcon::sizes) {
        columnWidth += size * magnify + gap;
    }
    const int rowHeight = 128 * magnify + gap;
    QImage sheet(columnWidth * 2, rowHeight * int(std::size(statuses)), QImage::Format_RGB32);
    QPainter out(&sheet);
    for (int panel = 0; panel < 2; ++panel) {
        out.fillRect(QRect(panel * columnWidth, 0, columnWidth, sheet.height()), panels[panel]);
        for (int row = 0; row < int(std::size(statuses)); ++row) {
            int x = panel * columnWidth + gap / 2;
            for (const int size : corvane::StatusIcon::sizes) {
                const QImage icon = painter.render(size, corvane::statusMark(statuses[row]));
                out.drawImage(QRect(x, row * rowHeight + gap / 2, size * magnify, size * magnify), icon);
                x += size * magnify + gap;
            }
        }
    }
    out.end();
    return sheet.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
