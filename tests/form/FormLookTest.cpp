// How the form reads on the desktop: every text against what it is drawn on, in a light and a dark
// palette, measured on the palettes the shown controls really use; the dark palette taken over while
// the form is open; Chinese in Simplified Chinese glyphs under the C locale; the explanation naming
// the system this runs on.
#include "form/FormLook.h"

#include "FormHarness.h"
#include "form/PathLabel.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRawFont>
#include <QStyle>
#include <QTextLayout>

#include <cstdio>

namespace corvane::test {
namespace {

QPalette darkDesktop()
{
    QPalette dark(QColor(0xfc, 0xfc, 0xfc), QColor(0x31, 0x36, 0x3b), QColor(0x47, 0x4d, 0x54),
                  QColor(0x1b, 0x1e, 0x20), QColor(0x31, 0x36, 0x3b), QColor(0xfc, 0xfc, 0xfc), QColor(Qt::white),
                  QColor(0x1b, 0x1e, 0x20), QColor(0x2a, 0x2e, 0x32));
    dark.setColor(QPalette::Highlight, QColor(0x3d, 0xae, 0xe9));
    dark.setColor(QPalette::HighlightedText, QColor(0xfc, 0xfc, 0xfc));
    dark.setColor(QPalette::PlaceholderText, QColor(0xfc, 0xfc, 0xfc, 0x80));
    return dark;
}

class Look : public FormHarness {
protected:
    void TearDown() override { QApplication::setPalette(QApplication::style()->standardPalette()); }
};

struct Pair {
    std::string what;
    QColor text;
    QColor background;
};

// Every text of an enabled control the shown form draws, with the colour it is drawn in and the colour
// under it. (Disabled controls are drawn dimmed on purpose, as the desktop draws them.)
std::vector<Pair> textsOf(const FormWindow& shown)
{
    const QColor window = shown.palette().color(QPalette::Active, QPalette::Window);
    const auto colour = [](const QWidget* widget, QPalette::ColorRole role) {
        return widget->palette().color(QPalette::Active, role);
    };
    std::vector<Pair> pairs;
    for (const QLabel* label : shown.findChildren<QLabel*>()) {
        if (label->isVisible()) {
            pairs.push_back(
                {"label " + label->text().left(8).toStdString(), colour(label, QPalette::WindowText), window});
        }
    }
    pairs.push_back({"folder", colour(shown.projectRootLabel(), QPalette::WindowText), window});
    const QLineEdit* field = shown.keyField();
    if (field->isEnabled()) {
        pairs.push_back({"key", colour(field, QPalette::Text), colour(field, QPalette::Base)});
        pairs.push_back({"placeholder",
                         opaqueOver(colour(field, QPalette::PlaceholderText), colour(field, QPalette::Base)),
                         colour(field, QPalette::Base)});
    }
    for (const QPushButton* button : {shown.chooseButton(), shown.cancelButton()}) {
        if (button->isEnabled() && button->isVisible()) {
            pairs.push_back({"button " + button->text().toStdString(), colour(button, QPalette::ButtonText),
                             colour(button, QPalette::Button)});
        }
    }
    const QPushButton* submit = shown.submitButton();
    if (submit->isEnabled()) {
        pairs.push_back(
            {"default button", colour(submit, QPalette::HighlightedText), colour(submit, QPalette::Highlight)});
    }
    return pairs;
}

TEST_F(Look, EveryTextReadsAtFourAndAHalfToOneInTheLightAndTheDarkPalette)
{
    const std::vector<std::pair<const char*, QPalette>> desktops = {
        {"light", QApplication::style()->standardPalette()},
        {"dark", darkDesktop()},
    };
    for (const auto& [name, desktop] : desktops) {
        QApplication::setPalette(desktop);
        for (const FormPhase phase : {FormPhase::Busy, FormPhase::Error}) {
            SCOPED_TRACE(std::string(name) + (phase == FormPhase::Error ? ", error" : ", busy"));
            AccessKeyForm form(m_events);
            form.buildForm(true, "/srv/project");
            auto* shown = qobject_cast<FormWindow*>(form.window());
            ASSERT_NE(shown, nullptr);
            form.showResult(phase, "message");
            form.showResult(FormPhase::Error, "message");
            if (phase == FormPhase::Busy) {
                form.showResult(FormPhase::Success, "message"); // the secondary colour, buttons enabled
            }
            double lowest = 21;
            for (const Pair& pair : textsOf(*shown)) {
                const double ratio = contrastRatio(pair.text, pair.background);
                lowest = std::min(lowest, ratio);
                EXPECT_GE(ratio, minimumTextContrast) << pair.what << ": " << pair.text.name().toStdString() << " on "
                                                      << pair.background.name().toStdString();
            }
            const QColor feedback = shown->feedback()->palette().color(QPalette::WindowText);
            RecordProperty(std::string(name) + (phase == FormPhase::Error ? "_error" : "_secondary"),
                           QStringLiteral("%1 on %2: %3:1, lowest of the form %4:1")
                               .arg(feedback.name(), shown->palette().color(QPalette::Window).name())
                               .arg(contrastRatio(feedback, shown->palette().color(QPalette::Window)), 0, 'f', 2)
                               .arg(lowest, 0, 'f', 2)
                               .toStdString());
            form.stop();
        }
    }
}

TEST_F(Look, DarkDesktopPaletteIsTakenOverWhileTheFormIsOpen)
{
    FormWindow& shown = open(true);
    m_form.showResult(FormPhase::Error, "message");
    const QColor lightError = shown.feedback()->palette().color(QPalette::WindowText);
    QApplication::setPalette(darkDesktop());
    EXPECT_EQ(shown.palette().color(QPalette::Window), darkDesktop().color(QPalette::Window));
    const QColor darkError = shown.feedback()->palette().color(QPalette::WindowText);
    EXPECT_NE(darkError, lightError);
    EXPECT_TRUE(isRed(darkError)) << darkError.name().toStdString();
    EXPECT_GE(contrastRatio(darkError, shown.palette().color(QPalette::Window)), minimumTextContrast);
}

// The test process runs under the C locale (FormTestMain), where fontconfig would pick the Japanese face.
TEST_F(Look, ChineseTextsUseSimplifiedChineseGlyphs)
{
    const FormWindow& shown = open(true);
    for (const QWidget* widget : {static_cast<const QWidget*>(shown.findChildren<QLabel*>().front()),
                                  static_cast<const QWidget*>(shown.submitButton())}) {
        QTextLayout layout(QStringLiteral("直骨角令"), widget->font());
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        const QList<QGlyphRun> runs = layout.glyphRuns();
        ASSERT_FALSE(runs.isEmpty());
        for (const QGlyphRun& run : runs) {
            EXPECT_EQ(run.rawFont().familyName(), QStringLiteral("Noto Sans CJK SC"));
        }
    }
}

TEST_F(Look, SetupExplanationNamesTheSystemItRunsOn)
{
#if defined(Q_OS_LINUX)
    EXPECT_TRUE(explanationText(true).contains(QStringLiteral("你的 Linux 用户权限")));
#elif defined(Q_OS_MACOS)
    EXPECT_TRUE(explanationText(true).contains(QStringLiteral("你的 macOS 用户权限")));
#endif
    EXPECT_FALSE(explanationText(false).contains(QStringLiteral("用户权限")));
}

} // namespace
} // namespace corvane::test
