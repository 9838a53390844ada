// Controller texts shown literally in Qt's own menu and tooltip (the XEmbed path).
#include "tray/TrayText.h"

#include <QTextDocument>

#include <gtest/gtest.h>

namespace corvane {
namespace {

// What a QMenu shows for an action text: "&&" is "&", a lone "&" marks a mnemonic, a tab starts the
// shortcut column.
QString shownByQMenu(const QString& text)
{
    QString shown;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('\t')) {
            break;
        }
        if (text[i] == QLatin1Char('&') && i + 1 < text.size()) {
            ++i;
        }
        shown += text[i];
    }
    return shown;
}

const char* const literalTexts[] = {
    "Pause", "A&B", "&", "A&", "&&", "A&B&C", "_", "__init__", "_&_", "Save & _quit_", "暂停 & 继续", "",
};

TEST(TrayText, MenuTitlesShowLiterallyInAQMenu)
{
    for (const char* text : literalTexts) {
        EXPECT_EQ(shownByQMenu(menuTitle(text)), QString::fromUtf8(text)) << text;
    }
}

TEST(TrayText, TabsNeverOpenAShortcutColumnInAQMenu)
{
    EXPECT_EQ(shownByQMenu(menuTitle("Name\tCtrl+Q")), QStringLiteral("Name Ctrl+Q"));
}

TEST(TrayText, TooltipsAreEscapedSoThatMarkupShowsLiterally)
{
    const char* markup = "<b>bold</b> & <i>x</i>";
    const QString xembed = tooltipText(markup);
    EXPECT_TRUE(Qt::mightBeRichText(xembed));
    EXPECT_FALSE(xembed.contains(QStringLiteral("<b>")));
    EXPECT_TRUE(xembed.contains(QStringLiteral("&lt;b&gt;bold&lt;/b&gt; &amp; &lt;i&gt;x&lt;/i&gt;")));
    EXPECT_EQ(tooltipText(""), QString());
}

} // namespace
} // namespace corvane
