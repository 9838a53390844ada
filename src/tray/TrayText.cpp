#include "tray/TrayText.h"

#include "shell/VisibleText.h"

namespace corvane {

QString menuTitle(std::string_view text, TrayPath path)
{
    QString title = visibleText(text);
    if (path == TrayPath::StatusNotifier) {
        title.replace(QLatin1Char('_'), QLatin1String("__"));
        // Qt converts only the first "&" (unless it is the last character) into "_". Doubling that one
        // makes the conversion yield "_&", which the shell shows as a plain "&"; later ones pass as is.
        if (const qsizetype first = title.indexOf(QLatin1Char('&')); first >= 0) {
            title.insert(first, QLatin1Char('&'));
        }
        return title;
    }
    title.replace(QLatin1Char('&'), QLatin1String("&&"));
    title.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return title;
}

QString tooltipText(std::string_view text, TrayPath path)
{
    QString plain = visibleText(text);
    if (path == TrayPath::StatusNotifier || plain.isEmpty()) {
        return plain;
    }
    // Markup that keeps every character and line break as given.
    return QStringLiteral("<p style='white-space:pre-wrap'>") + plain.toHtmlEscaped() + QStringLiteral("</p>");
}

} // namespace corvane
