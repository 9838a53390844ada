#include "app/PlatformStartGuard.h"

#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <unistd.h>

namespace corvane {
namespace {

std::string failure;
QtMessageHandler previous = nullptr;

void onMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtFatalMsg) {
        std::fputs(failure.c_str(), stderr);
        std::fflush(stderr);
        // Nothing of this process needs an orderly end yet: no window, no event, no marker.
        ::_exit(1);
    }
    if (previous) {
        previous(type, context, message);
    } else {
        std::fputs(qPrintable(qFormatLogMessage(type, context, message) + QLatin1Char('\n')), stderr);
    }
}

} // namespace

PlatformStartGuard::PlatformStartGuard(std::string failureLine)
{
    failure = std::move(failureLine);
    previous = qInstallMessageHandler(onMessage);
}

PlatformStartGuard::~PlatformStartGuard()
{
    qInstallMessageHandler(previous);
}

} // namespace corvane
