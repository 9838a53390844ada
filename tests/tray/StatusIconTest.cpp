// The status item's icon: one picture per status mark, drawn once and reused, in every tray size, with
// a picture of its own for each status.
#include "tray/StatusIcon.h"

#include <QByteArray>
#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include <set>

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
    for (const int size : {16, 22, 24, 32, 48, 64}) {
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

} // namespace
} // namespace corvane
