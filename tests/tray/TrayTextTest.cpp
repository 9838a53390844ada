// Controller texts shown literally on both tray paths.
#include "tray/TrayText.h"

#include <QTextDocument>

#include <gtest/gtest.h>

namespace corvane {
namespace {

// What Qt's D-Bus menu makes of an action text: the first "&" (unless it is the last character) becomes
// the dbusmenu mnemonic "_".
QString dbusLabel(QString text)
{
    const qsizetype first = text.indexOf(QLatin1Char('&'));
    if (first >= 0 && first != text.size() - 1) {
        text[first] = QLatin1Char('_');
    }
    return text;
}

// What a shell shows for a dbusmenu label: "__" is "_", "_x" shows x.
QString shownByShell(const QString& label)
{
    QString shown;
    for (qsizetype i = 0; i < label.size(); ++i) {
        if (label[i] == QLatin1Char('_') && i + 1 < label.size()) {
            ++i;
        }
        shown += label[i];
    }
    return shown;
}

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

TEST(TrayText, MenuTitlesReachTheShellLiterallyOverDBus)
{
    for (const char* text : literalTexts) {
        EXPECT_EQ(shownByShell(dbusLabel(menuTitle(text, TrayPath::StatusNotifier))), QString::fromUtf8(text)) << text;
    }
}

TEST(TrayText, MenuTitlesShowLiterallyInAQMenu)
{
    for (const char* text : literalTexts) {
        EXPECT_EQ(shownByQMenu(menuTitle(text, TrayPath::XEmbed)), QString::fromUtf8(text)) << text;
    }
}

TEST(TrayText, TabsNeverOpenAShortcutColumnInAQMenu)
{
    EXPECT_EQ(shownByQMenu(menuTitle("Name\tCtrl+Q", TrayPath::XEmbed)), QStringLiteral("Name Ctrl+Q"));
    EXPECT_EQ(menuTitle("Name\tCtrl+Q", TrayPath::StatusNotifier), QStringLiteral("Name\tCtrl+Q"));
}

TEST(TrayText, TooltipsAreEscapedOnlyWhereTheyWouldRenderAsMarkup)
{
    const char* markup = "<b>bold</b> & <i>x</i>";
    EXPECT_EQ(tooltipText(markup, TrayPath::StatusNotifier), QString::fromUtf8(markup));
    const QString xembed = tooltipText(markup, TrayPath::XEmbed);
    EXPECT_TRUE(Qt::mightBeRichText(xembed));
    EXPECT_FALSE(xembed.contains(QStringLiteral("<b>")));
    EXPECT_TRUE(xembed.contains(QStringLiteral("&lt;b&gt;bold&lt;/b&gt; &amp; &lt;i&gt;x&lt;/i&gt;")));
    EXPECT_EQ(tooltipText("", TrayPath::XEmbed), QString());
}

} // namespace
} // namespace corvane
