#include "shell/VisibleText.h"

namespace corvane {

QString visibleText(std::string_view utf8)
{
    return visibleText(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

QString visibleText(QString text)
{
    return text.replace(QChar(u'\0'), QChar(u'\u2400'));
}

} // namespace corvane
