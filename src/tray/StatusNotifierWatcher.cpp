#include "tray/StatusNotifierWatcher.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

#include <unistd.h>

namespace corvane {
namespace {

const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString watcherPath = QStringLiteral("/StatusNotifierWatcher");

QVariant watcherProperty(const QString& name)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        watcherService, watcherPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    call << watcherService << name;
    const QDBusReply<QDBusVariant> reply = QDBusConnection::sessionBus().call(call);
    return reply.isValid() ? reply.value().variant() : QVariant();
}

} // namespace

StatusNotifierWatcher::StatusNotifierWatcher(QObject* parent) : QObject(parent)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    auto* serviceWatcher = new QDBusServiceWatcher(watcherService, bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(serviceWatcher, &QDBusServiceWatcher::serviceOwnerChanged, this, &StatusNotifierWatcher::changed);
    for (const char* signal : {"StatusNotifierHostRegistered", "StatusNotifierItemRegistered"}) {
        bus.connect(watcherService, watcherPath, watcherService, QString::fromLatin1(signal), this,
                    SLOT(onWatcherSignal()));
    }
}

void StatusNotifierWatcher::onWatcherSignal()
{
    Q_EMIT changed();
}

bool StatusNotifierWatcher::hostRegistered() const
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface()->isServiceRegistered(watcherService) &&
           watcherProperty(QStringLiteral("IsStatusNotifierHostRegistered")).toBool();
}

QString StatusNotifierWatcher::ownItemService() const
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return {};
    }
    const QStringList items = watcherProperty(QStringLiteral("RegisteredStatusNotifierItems")).toStringList();
    for (const QString& item : items) {
        // An entry is a bus name, optionally followed by the item's object path.
        const QString service = item.section(QLatin1Char('/'), 0, 0);
        const QDBusReply<uint> pid = bus.interface()->servicePid(service);
        if (pid.isValid() && pid.value() == static_cast<uint>(::getpid())) {
            return service;
        }
    }
    return {};
}

} // namespace corvane
