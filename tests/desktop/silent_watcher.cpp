// silent-watcher: owns org.kde.StatusNotifierWatcher on the session bus and never answers a call made
// to it, as a hung tray host would. Each call is reported on stdout ("called <member>") so that a test
// knows the program under test is waiting for it; "ready" comes once the name is owned. Ends at the end
// of stdin. Single-threaded.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QSocketNotifier>

#include <cstdio>
#include <unistd.h>

namespace {

class SilentObject final : public QDBusVirtualObject {
public:
    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override
    {
        std::printf("called %s\n", qPrintable(message.member()));
        std::fflush(stdout);
        // Handled, and no reply is ever sent.
        return true;
    }
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    SilentObject object;
    if (!bus.registerVirtualObject(QStringLiteral("/StatusNotifierWatcher"), &object) ||
        !bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"))) {
        std::fputs("silent-watcher: cannot own org.kde.StatusNotifierWatcher\n", stderr);
        return 1;
    }
    std::puts("ready");
    std::fflush(stdout);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&input] {
        char buffer[256];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0) {
            input.setEnabled(false);
            QCoreApplication::quit();
        }
    });
    return app.exec();
}
