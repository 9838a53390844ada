#include "shell/QtMessageFilter.h"

#include <QString>
#include <QtGlobal>

#include <cstdlib>
#include <cstring>

namespace corvane {
namespace {

QtMessageHandler passOn = nullptr;
void (*onDisplayLost)() = nullptr;

void filterMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (passOn) {
        passOn(type, context, message);
    }
    // Qt 6.4's xcb plugin: "The X11 connection broke (error N). Did the X11 server die?", or "The X11
    // connection broke: <reason> (code N)", and then exit(1).
    if (onDisplayLost && message.startsWith(QLatin1String("The X11 connection broke"))) {
        onDisplayLost();
    }
}

} // namespace

void installQtMessageFilter(void (*displayLost)())
{
    onDisplayLost = displayLost;
    const char* wanted = std::getenv("CORVANE_QT_MESSAGES");
    // Dropped messages are dropped here; a fatal one still aborts after the handler returns.
    const QtMessageHandler previous = qInstallMessageHandler(filterMessage);
    if (wanted && std::strcmp(wanted, "1") == 0) {
        passOn = previous;
    }
}

} // namespace corvane
