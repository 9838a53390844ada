// The window itself: its size, its texts in each variant, the order and spacing of its rows, the key
// field's masking and the spinner's slot.
#include "FormHarness.h"
#include "form/PathLabel.h"
#include "form/Spinner.h"

#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>

namespace corvane::test {
namespace {

class Window : public FormHarness {
protected:
    // The shown label with exactly `text`, or null.
    QLabel* shownLabel(const QString& text) const
    {
        for (QLabel* label : window().findChildren<QLabel*>()) {
            if (label->text() == text && label->isVisible()) {
                return label;
            }
        }
        return nullptr;
    }

    QRect placed(const QWidget* widget) const { return {widget->mapTo(&window(), QPoint(0, 0)), widget->size()}; }
};

struct Variant {
    bool setup;
    QSize size;
    QString heading;
    QString explanation;
    QString keyCaption;
    QString submitTitle;
};

const std::vector<Variant> variants = {
    {true,
     {480, 440},
     QStringLiteral("完成设置"),
     explanationText(true),
     QStringLiteral("Access Key"),
     QStringLiteral("连接")},
    {false,
     {480, 350},
     QStringLiteral("更换 Access Key"),
     explanationText(false),
     QStringLiteral("新的 Access Key"),
     QStringLiteral("更换")},
};

TEST_F(Window, EachVariantHasItsFixedSizeTitleAndTexts)
{
    for (const Variant& variant : variants) {
        SCOPED_TRACE(variant.setup ? "setup" : "replace-key");
        AccessKeyForm form(m_events);
        form.buildForm(variant.setup, "/srv/project");
        auto* shown = qobject_cast<FormWindow*>(form.window());
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(shown->windowTitle(), QStringLiteral("Corvane"));
        EXPECT_EQ(shown->size(), variant.size);
        EXPECT_EQ(shown->minimumSize(), variant.size);
        EXPECT_EQ(shown->maximumSize(), variant.size);
        QStringList texts;
        for (const QLabel* label : shown->findChildren<QLabel*>()) {
            if (label->isVisible()) {
                texts.append(label->text());
            }
        }
        QStringList expected = {variant.heading, variant.explanation, variant.keyCaption};
        if (variant.setup) {
            expected.append(QStringLiteral("项目目录"));
        }
        expected.append(QString()); // the feedback line, empty until something happens
        EXPECT_EQ(texts, expected);
        EXPECT_EQ(shown->submitButton()->text(), variant.submitTitle);
        EXPECT_EQ(shown->cancelButton()->text(), QStringLiteral("取消"));
        EXPECT_EQ(shown->chooseButton()->text(), QStringLiteral("选择…"));
        EXPECT_EQ(shown->chooseButton()->isVisible(), variant.setup);
        EXPECT_EQ(shown->projectRootLabel()->isVisible(), variant.setup);
        form.stop();
    }
}

TEST_F(Window, KeyFieldIsMaskedWithItsPlaceholder)
{
    const FormWindow& shown = open(false);
    EXPECT_EQ(shown.keyField()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(shown.keyField()->placeholderText(), QStringLiteral("Access Key"));
    EXPECT_EQ(shown.keyField()->text(), QString());
}

TEST_F(Window, SetupRowsRunTopToBottomWithTheirMarginsAndSpacing)
{
    const FormWindow& shown = open(true, "/srv/project");
    const std::vector<QRect> rows = {
        placed(shownLabel(QStringLiteral("完成设置"))),   placed(shownLabel(variants[0].explanation)),
        placed(shownLabel(QStringLiteral("Access Key"))), placed(shown.keyField()),
        placed(shownLabel(QStringLiteral("项目目录"))),   placed(shown.chooseButton()->parentWidget()),
        placed(shown.progress()->parentWidget()),         placed(shown.submitButton()->parentWidget()),
    };
    EXPECT_EQ(rows.front().topLeft(), QPoint(24, 24));
    for (std::size_t row = 1; row < rows.size(); ++row) {
        EXPECT_EQ(rows[row].top() - rows[row - 1].bottom() - 1, 12) << "above row " << row;
        EXPECT_EQ(rows[row].left(), 24) << "row " << row;
    }
    EXPECT_EQ(placed(shown.keyField()).width(), 480 - 2 * 24);
    EXPECT_LE(rows.back().bottom(), 440 - 24);

    const QRect path = placed(shown.projectRootLabel());
    const QRect choose = placed(shown.chooseButton());
    EXPECT_EQ(choose.left() - path.right() - 1, 12);
    EXPECT_EQ(choose.right(), 480 - 24 - 1);
    EXPECT_EQ(choose.top(), path.top());

    const QRect spinner = placed(shown.progress());
    EXPECT_EQ(placed(shown.feedback()).left() - spinner.right() - 1, 8);

    const QRect cancel = placed(shown.cancelButton());
    const QRect submit = placed(shown.submitButton());
    EXPECT_EQ(submit.left() - cancel.right() - 1, 12);
    EXPECT_EQ(submit.right(), 480 - 24 - 1);
}

TEST_F(Window, ReplaceKeyRowsSkipTheFolderAndFitTheShorterWindow)
{
    const FormWindow& shown = open(false);
    EXPECT_EQ(shownLabel(QStringLiteral("项目目录")), nullptr);
    const QRect field = placed(shown.keyField());
    const QRect status = placed(shown.progress()->parentWidget());
    const QRect buttons = placed(shown.submitButton()->parentWidget());
    EXPECT_EQ(status.top() - field.bottom() - 1, 12);
    EXPECT_EQ(buttons.top() - status.bottom() - 1, 12);
    EXPECT_LE(buttons.bottom(), 350 - 24);
}

QString repeated(const QString& piece, int times)
{
    QString text;
    for (int i = 0; i < times; ++i) {
        text += piece;
    }
    return text;
}

// How the feedback line shows a message: as it is; broken into at most four lines that fit; or, when
// even that is too long, cut with "…". Broken or cut, the tooltip holds the whole message.
enum class Shown { AsIs, Broken, Cut };

struct Feedback {
    const char* what;
    QString message;
    Shown shown;
};

QString withoutSpaces(QString text)
{
    text.remove(QLatin1Char(' '));
    text.remove(QLatin1Char('\n'));
    return text;
}

TEST_F(Window, FeedbackIsNeverCutOffOrPushedOutOfTheWindow)
{
    const std::vector<Feedback> cases = {
        {"one line", QStringLiteral("Access Key 无效。"), Shown::AsIs},
        {"four lines", QStringLiteral("第一行\n第二行\n第三行\n第四行"), Shown::AsIs},
        {"five short lines", QStringLiteral("第一行\n第二行\n第三行\n第四行\n第五行"), Shown::Broken},
        {"one word longer than a line", repeated(QStringLiteral("x"), 150), Shown::Broken},
        {"360 Chinese characters", repeated(QStringLiteral("服务器返回了错误。"), 40), Shown::Cut},
        {"360 characters of English", repeated(QStringLiteral("The key was refused. "), 18).left(360), Shown::Cut},
    };
    for (const Variant& variant : variants) {
        for (const Feedback& feedback : cases) {
            SCOPED_TRACE(std::string(feedback.what) + (variant.setup ? " (setup)" : " (replace-key)"));
            AccessKeyForm form(m_events);
            form.buildForm(variant.setup, "/srv/project");
            auto* shown = qobject_cast<FormWindow*>(form.window());
            ASSERT_NE(shown, nullptr);
            form.showResult(FormPhase::Error, feedback.message.toStdString());
            shown->layout()->activate();
            const QLabel& label = *shown->feedback();
            if (feedback.shown != Shown::AsIs) {
                const QStringList lines = label.text().split(QLatin1Char('\n'));
                EXPECT_LE(lines.size(), 4);
                for (const QString& line : lines) {
                    EXPECT_LE(label.fontMetrics().horizontalAdvance(line), label.width()) << line.toStdString();
                }
                EXPECT_EQ(label.toolTip(), feedback.message);
                QString start = withoutSpaces(label.text());
                if (feedback.shown == Shown::Cut) {
                    EXPECT_EQ(lines.size(), 4);
                    ASSERT_TRUE(start.endsWith(QStringLiteral("…"))) << lines.back().toStdString();
                    start.chop(1);
                    EXPECT_LT(start.size(), withoutSpaces(feedback.message).size());
                }
                EXPECT_TRUE(withoutSpaces(feedback.message).startsWith(start)) << start.toStdString();
            } else {
                EXPECT_EQ(label.text(), feedback.message);
                EXPECT_EQ(label.toolTip(), QString());
            }
            EXPECT_GE(label.height(), label.heightForWidth(label.width()));
            const QRect text(label.mapTo(shown, QPoint(0, 0)), label.size());
            const QWidget* buttons = shown->submitButton()->parentWidget();
            const QRect buttonRow(buttons->mapTo(shown, QPoint(0, 0)), buttons->size());
            EXPECT_EQ(buttonRow.top() - text.bottom() - 1, 12);
            EXPECT_LE(buttonRow.bottom(), variant.size.height() - 24);
            EXPECT_EQ(shown->size(), variant.size);
            form.stop();
        }
    }
}

TEST_F(Window, ShortFeedbackAfterALongOneDropsTheTooltip)
{
    const FormWindow& shown = open(false);
    m_form.showResult(FormPhase::Error, repeated(QStringLiteral("错误"), 180).toStdString());
    ASSERT_FALSE(shown.feedback()->toolTip().isEmpty());
    m_form.showResult(FormPhase::Busy, "正在验证");
    EXPECT_EQ(shown.feedback()->text(), QStringLiteral("正在验证"));
    EXPECT_EQ(shown.feedback()->toolTip(), QString());
}

TEST_F(Window, StoppedSpinnerKeepsItsSlotAndDrawsNothing)
{
    const FormWindow& shown = open(true);
    const auto drawn = [&shown] {
        QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        shown.progress()->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (qAlpha(image.pixel(x, y)) != 0) {
                    return true;
                }
            }
        }
        return false;
    };
    const int feedbackLeft = shown.feedback()->mapTo(&shown, QPoint(0, 0)).x();
    EXPECT_FALSE(drawn());
    EXPECT_EQ(shown.progress()->size(), QSize(16, 16));

    m_form.showResult(FormPhase::Busy, "正在验证");
    EXPECT_TRUE(shown.progress()->isRunning());
    EXPECT_TRUE(drawn());

    m_form.showResult(FormPhase::Error, "错误");
    EXPECT_FALSE(shown.progress()->isRunning());
    EXPECT_FALSE(drawn());
    EXPECT_TRUE(shown.progress()->isVisible());
    EXPECT_EQ(shown.feedback()->mapTo(&shown, QPoint(0, 0)).x(), feedbackLeft);
}

} // namespace
} // namespace corvane::test
