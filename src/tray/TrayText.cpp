#include "tray/TrayText.h"

#include "shell/VisibleText.h"

namespace corvane {

QString menuTitle(std::string_view text)
{
    QString title = visibleText(text);
    title.replace(QLatin1Char('&'), QLatin1String("&&"));
    title.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return title;
}

QString tooltipText(std::string_view text)
{
    const QString plain = visibleText(text);
    if (plain.isEmpty()) {
        return {};
    }
    // Markup that keeps every character and line break as given.
    return QStringLiteral("<p style='white-space:pre-wrap'>") + plain.toHtmlEscaped() + QStringLiteral("</p>");
}

} // namespace corvane
