// The status item's icon: one picture per status mark, drawn once and reused, in every tray size, with
// a picture of its own for each status; crisp at every size, the glyph readable on light and dark panels,
// the badge readable at 16 px without hiding the glyph. Measured on the rendered images.
#include "tray/StatusIcon.h"

#include <QByteArray>
#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <vector>

namespace corvane {
namespace {

const char* const statuses[] = {"ready", "busy", "partial", "suspended", "stopped"};

TEST(StatusIcon, EachMarkIsDrawnOnceAndTheSameIconComesBack)
{
    StatusIcon painter;
    std::set<qint64> keys;
    for (const char* status : statuses) {
        const qint64 key = painter.icon(statusMark(status)).cacheKey();
        keys.insert(key);
        // Qt caches scaled pixmaps per icon: handing out the same icon keeps that cache from growing.
        EXPECT_EQ(painter.icon(statusMark(status)).cacheKey(), key) << status;
    }
    EXPECT_EQ(keys.size(), std::size(statuses));
}

TEST(StatusIcon, EveryTraySizeIsDrawnAndEveryStatusLooksDifferent)
{
    StatusIcon painter;
    for (const int size : StatusIcon::sizes) {
        std::set<QByteArray> pictures;
        for (const char* status : statuses) {
            const QIcon& icon = painter.icon(statusMark(status));
            EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size))) << status << " " << size;
            const QImage image = icon.pixmap(QSize(size, size)).toImage();
            ASSERT_EQ(image.size(), QSize(size, size));
            pictures.insert(QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()));
        }
        EXPECT_EQ(pictures.size(), std::size(statuses)) << size;
    }
}

double luminance(QRgb colour)
{
    const auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(colour)) + 0.7152 * channel(qGreen(colour)) + 0.0722 * channel(qBlue(colour));
}

double contrast(QRgb first, QRgb second)
{
    const double a = luminance(first);
    const double b = luminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

// A premultiplied pixel drawn over an opaque panel.
QRgb over(QRgb pixel, QRgb panel)
{
    const int rest = 255 - qAlpha(pixel);
    return qRgb(qRed(pixel) + qRed(panel) * rest / 255, qGreen(pixel) + qGreen(panel) * rest / 255,
                qBlue(pixel) + qBlue(panel) * rest / 255);
}

const QRgb panels[] = {qRgb(0xf2, 0xf2, 0xf2), qRgb(0x20, 0x20, 0x20)};

TEST(StatusIcon, GlyphIsCrispAndReadsAtThreeToOneOnLightAndDarkPanelsAtEverySize)
{
    StatusIcon painter;
    for (const int size : StatusIcon::sizes) {
        const QImage image = painter.render(size, QString());
        int solid = 0;
        int partial = 0;
        double lowest = 21;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const QRgb pixel = image.pixel(x, y);
                if (qAlpha(pixel) >= 230) {
                    ++solid;
                    for (const QRgb panel : panels) {
                        lowest = std::min(lowest, contrast(over(pixel, panel), panel));
                    }
                } else if (qAlpha(pixel) > 25) {
                    ++partial;
                }
            }
        }
        // A glyph drawn for the size has mostly solid pixels; one scaled up from a smaller picture is soft.
        EXPECT_GT(solid, size * size / 5) << size;
        EXPECT_GT(solid, 2 * partial) << size;
        EXPECT_GE(lowest, 3.0) << size;
    }
}

TEST(StatusIcon, BadgeReadsAtSixteenPixelsAndLeavesMostOfTheGlyph)
{
    StatusIcon painter;
    const QImage bare = painter.render(16, QString());
    for (const char* status : {"busy", "partial", "suspended", "stopped"}) {
        SCOPED_TRACE(status);
        const QImage marked = painter.render(16, statusMark(status));
        int glyph = 0;
        int kept = 0;
        std::vector<QRgb> badge;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                if (qAlpha(bare.pixel(x, y)) >= 230) {
                    ++glyph;
                    kept += marked.pixel(x, y) == bare.pixel(x, y);
                }
                if (x >= 8 && y >= 8 && qAlpha(marked.pixel(x, y)) == 255) {
                    badge.push_back(marked.pixel(x, y));
                }
            }
        }
        EXPECT_GE(kept, glyph * 3 / 5);
        // The badge's face and its white mark, each present and apart at 3:1, the face also on both panels.
        const QRgb white = qRgb(255, 255, 255);
        const auto markPixels = std::count(badge.begin(), badge.end(), white);
        ASSERT_GE(markPixels, 3);
        std::map<QRgb, int> colours;
        for (const QRgb pixel : badge) {
            colours[pixel] += pixel != white;
        }
        const QRgb face =
            std::max_element(colours.begin(), colours.end(), [](auto a, auto b) { return a.second < b.second; })->first;
        EXPECT_GE(colours[face], 8);
        EXPECT_GE(contrast(face, white), 3.0);
        for (const QRgb panel : panels) {
            EXPECT_GE(contrast(face, panel), 3.0);
        }
    }
}

} // namespace
} // namespace corvane
