// The folder label: whole when it fits, otherwise two lines at most with the middle left out, and the
// whole path as its tooltip.
#include "form/PathLabel.h"

#include "FormHarness.h"

#include <QFontMetrics>

namespace corvane::test {
namespace {

const QString ellipsis = QStringLiteral("…");

QString longPath(int segments)
{
    QString path;
    for (int i = 0; i < segments; ++i) {
        path += QStringLiteral("/segment-%1").arg(i);
    }
    return path;
}

class PathLabelLines : public ::testing::Test {
protected:
    QStringList linesAt(const QString& text, int width)
    {
        m_label.setText(text);
        m_label.resize(width, 40);
        return m_label.shownLines();
    }

    int advance(const QString& text) const { return m_label.fontMetrics().horizontalAdvance(text); }

    PathLabel m_label;
};

TEST_F(PathLabelLines, PathThatFitsIsOneWholeLine)
{
    const QString path = QStringLiteral("/srv/project");
    EXPECT_EQ(linesAt(path, advance(path)), QStringList{path});
    EXPECT_EQ(linesAt(QString(), 100), QStringList{QString()});
}

TEST_F(PathLabelLines, PathOneCharacterTooLongContinuesOnASecondLineUnshortened)
{
    const QString path = longPath(3);
    EXPECT_EQ(linesAt(path, advance(path.chopped(1))), (QStringList{path.chopped(1), path.right(1)}));
}

TEST_F(PathLabelLines, PathFillingTwoLinesExactlyIsNotShortened)
{
    const QString path = longPath(8);
    const int width = advance(path) / 2 + advance(QStringLiteral("WW"));
    const QStringList lines = linesAt(path, width);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines.join(QString()), path);
    EXPECT_FALSE(lines[1].contains(ellipsis));
}

TEST_F(PathLabelLines, LongPathKeepsItsStartAndEndAndLeavesOutTheMiddle)
{
    const QString path = longPath(40);
    for (const int width : {120, 250, 330}) {
        SCOPED_TRACE(width);
        const QStringList lines = linesAt(path, width);
        ASSERT_EQ(lines.size(), 2);
        for (const QString& line : lines) {
            EXPECT_LE(advance(line), width) << line.toStdString();
        }
        const qsizetype cut = lines[1].indexOf(ellipsis);
        ASSERT_GT(cut, 0) << lines[1].toStdString();
        const QString head = lines[0] + lines[1].left(cut);
        const QString tail = lines[1].mid(cut + 1);
        EXPECT_TRUE(path.startsWith(head)) << head.toStdString();
        EXPECT_TRUE(path.endsWith(tail)) << tail.toStdString();
        EXPECT_FALSE(tail.isEmpty());
        EXPECT_LT(head.size() + tail.size(), path.size());
        EXPECT_FALSE(lines[0].isEmpty());
    }
}

class PathInForm : public FormHarness {};

TEST_F(PathInForm, LongFolderIsShortenedToTwoLinesThatFitAndTheTooltipHasItAll)
{
    const QString path = QStringLiteral("/home/开发者/工作区") + longPath(30);
    const FormWindow& shown = open(true, path.toStdString());
    const PathLabel& label = *shown.projectRootLabel();
    EXPECT_EQ(label.text(), path);
    EXPECT_EQ(label.toolTip(), path);
    const QStringList lines = label.shownLines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[1].contains(ellipsis));
    for (const QString& line : lines) {
        EXPECT_LE(label.fontMetrics().horizontalAdvance(line), label.width()) << line.toStdString();
    }
    EXPECT_GE(label.height(), 2 * label.fontMetrics().lineSpacing());
    EXPECT_TRUE(path.endsWith(lines[1].mid(lines[1].indexOf(ellipsis) + 1)));
}

TEST_F(PathInForm, ShortFolderIsOneLineTall)
{
    const FormWindow& shown = open(true, "/srv/p");
    const PathLabel& label = *shown.projectRootLabel();
    EXPECT_EQ(label.shownLines(), QStringList{QStringLiteral("/srv/p")});
    EXPECT_GE(label.height(), label.fontMetrics().lineSpacing());
}

} // namespace
} // namespace corvane::test
