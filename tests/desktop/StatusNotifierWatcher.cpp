// The test desktop's tray watcher on D-Bus. Main thread.
#include "StatusNotifierWatcher.h"

#include <QDBusConnectionInterface>

#include <algorithm>

namespace corvane {
namespace {

QString itemKey(const StatusNotifierWatcher::Item& item)
{
    return item.service + item.path;
}

} // namespace

StatusNotifierWatcher::StatusNotifierWatcher(QDBusConnection connection, QObject* parent)
    : QObject(parent), m_connection(connection),
      m_serviceWatcher(QString(), connection, QDBusServiceWatcher::WatchForUnregistration)
{
    connect(&m_serviceWatcher, &QDBusServiceWatcher::serviceUnregistered, this, &StatusNotifierWatcher::removeService);
}

bool StatusNotifierWatcher::publish(QString& error)
{
    const auto exported = QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportScriptableSignals |
                          QDBusConnection::ExportScriptableProperties;
    if (!m_connection.registerObject(QStringLiteral("/StatusNotifierWatcher"), this, exported)) {
        error = QStringLiteral("cannot export /StatusNotifierWatcher");
        return false;
    }
    if (!m_connection.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"))) {
        error = QStringLiteral("cannot own org.kde.StatusNotifierWatcher: ") + m_connection.lastError().message();
        return false;
    }
    Q_EMIT StatusNotifierHostRegistered();
    return true;
}

QStringList StatusNotifierWatcher::registeredItems() const
{
    QStringList keys;
    for (const Item& item : m_items) {
        keys.append(itemKey(item));
    }
    return keys;
}

std::optional<StatusNotifierWatcher::Item> StatusNotifierWatcher::firstItem() const
{
    if (m_items.isEmpty()) {
        return std::nullopt;
    }
    return m_items.first();
}

std::optional<StatusNotifierWatcher::Item> StatusNotifierWatcher::item(const QString& key) const
{
    for (const Item& item : m_items) {
        if (itemKey(item) == key) {
            return item;
        }
    }
    return std::nullopt;
}

void StatusNotifierWatcher::RegisterStatusNotifierItem(const QString& serviceOrPath)
{
    const bool isPath = serviceOrPath.startsWith(QLatin1Char('/'));
    const Item item{isPath ? message().service() : serviceOrPath,
                    isPath ? serviceOrPath : QStringLiteral("/StatusNotifierItem")};
    if (registeredItems().contains(itemKey(item))) {
        return;
    }
    if (!m_connection.interface()->isServiceRegistered(item.service)) {
        sendErrorReply(QDBusError::ServiceUnknown, item.service + QStringLiteral(" is not on the bus"));
        return;
    }
    m_serviceWatcher.addWatchedService(item.service);
    m_items.append(item);
    Q_EMIT StatusNotifierItemRegistered(itemKey(item));
    Q_EMIT itemAdded(item.service, item.path);
}

void StatusNotifierWatcher::RegisterStatusNotifierHost(const QString&)
{
    // This process is the only host; a second one changes nothing.
}

void StatusNotifierWatcher::removeService(const QString& service)
{
    m_serviceWatcher.removeWatchedService(service);
    const auto gone = std::stable_partition(m_items.begin(), m_items.end(),
                                            [&service](const Item& item) { return item.service != service; });
    const QList<Item> removed(gone, m_items.end());
    m_items.erase(gone, m_items.end());
    for (const Item& item : removed) {
        Q_EMIT StatusNotifierItemUnregistered(itemKey(item));
    }
    if (!removed.isEmpty()) {
        Q_EMIT itemRemoved(service);
    }
}

} // namespace corvane
