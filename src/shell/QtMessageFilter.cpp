#include "shell/QtMessageFilter.h"

#include <QtGlobal>

#include <cstdlib>
#include <cstring>

namespace corvane {
namespace {

void dropMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

} // namespace

void installQtMessageFilter()
{
    const char* wanted = std::getenv("CORVANE_QT_MESSAGES");
    if (!wanted || std::strcmp(wanted, "1") != 0) {
        // A fatal message still aborts after the handler returns.
        qInstallMessageHandler(dropMessage);
    }
}

} // namespace corvane
