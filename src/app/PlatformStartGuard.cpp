#include "app/PlatformStartGuard.h"

#include "protocol/StandardError.h"

#include <QString>
#include <QtGlobal>

#include <unistd.h>

namespace corvane {
namespace {

std::string failure;
QtMessageHandler previous = nullptr;

void onMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtFatalMsg) {
        writeStandardError(failure);
        // Nothing of this process needs an orderly end yet: no window, no event, no marker.
        ::_exit(1);
    }
    if (previous) {
        previous(type, context, message);
    } else {
        writeStandardError((qFormatLogMessage(type, context, message) + QLatin1Char('\n')).toStdString());
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
