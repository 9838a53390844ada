#include "tray/DBusTrayText.h"

namespace corvane {
namespace {

QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

QString dbusMenuLabel(std::string_view cutText)
{
    QString label = fromUtf8(cutText);
    if (cutText.find('_') != std::string_view::npos) {
        label.replace(QLatin1Char('_'), QLatin1String("__"));
    }
    label.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return label;
}

QString dbusToolTipTitle(std::string_view cutText)
{
    QString title = fromUtf8(cutText);
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
