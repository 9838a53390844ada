#include "tray/DBusTrayText.h"

#include "shell/VisibleText.h"

namespace corvane {
QString dbusMenuLabel(std::string_view cutText)
{
    QString label = visibleText(cutText);
    if (cutText.find('_') != std::string_view::npos) {
        label.replace(QLatin1Char('_'), QLatin1String("__"));
    }
    label.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return label;
}

QString dbusToolTipTitle(std::string_view cutText)
{
    QString title = visibleText(cutText);
    for (QChar& character : title) {
        if (character == QLatin1Char('&')) {
            character = QChar(0xFF06);
        } else if (character == QLatin1Char('<')) {
            character = QChar(0xFF1C);
        } else if (character == QLatin1Char('>')) {
            character = QChar(0xFF1E);
        }
    }
    return title;
}

} // namespace corvane
