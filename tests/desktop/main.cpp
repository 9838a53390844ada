// corvane-test-host: the tray watcher and host of the test desktop, driven by tests over stdin/stdout.
// Single-threaded: everything runs on the main thread's event loop.
#include "HostSession.h"
#include "IconPixmap.h"
#include "MenuNode.h"
#include "StatusNotifierWatcher.h"
#include "ToolTip.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMetaType>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    qDBusRegisterMetaType<corvane::IconPixmap>();
    qDBusRegisterMetaType<QList<corvane::IconPixmap>>();
    qDBusRegisterMetaType<corvane::ToolTip>();
    qDBusRegisterMetaType<corvane::MenuNode>();

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "corvane-test-host: no session bus: %s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    corvane::StatusNotifierWatcher watcher(bus);
    corvane::HostSession session(bus, watcher);
    QString error;
    if (!watcher.publish(error)) {
        std::fprintf(stderr, "corvane-test-host: %s\n", qPrintable(error));
        return 1;
    }
    session.start();
    return app.exec();
}
