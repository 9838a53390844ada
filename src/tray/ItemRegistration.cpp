#include "tray/ItemRegistration.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>

#include <unistd.h>

namespace corvane {
namespace {

const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString busService = QStringLiteral("org.freedesktop.DBus");
const QString busPath = QStringLiteral("/org/freedesktop/DBus");

// RequestName flags and answers of the bus.
constexpr uint doNotQueue = 4;
constexpr uint primaryOwner = 1;
constexpr uint alreadyOwner = 4;

QDBusMessage busCall(const QString& method, const QString& name)
{
    QDBusMessage call = QDBusMessage::createMethodCall(busService, busPath, busService, method);
    call << name;
    return call;
}

} // namespace

ItemRegistration::ItemRegistration(QDBusConnection connection, int serial, QObject* parent)
    : QObject(parent), m_connection(std::move(connection)),
      m_serviceName(QStringLiteral("org.kde.StatusNotifierItem-%1-%2").arg(::getpid()).arg(serial))
{
    auto* watcher =
        new QDBusServiceWatcher(watcherService, m_connection, QDBusServiceWatcher::WatchForRegistration, this);
    connect(watcher, &QDBusServiceWatcher::serviceRegistered, this, &ItemRegistration::registerWithWatcher);
    QDBusMessage request = busCall(QStringLiteral("RequestName"), m_serviceName);
    request << doNotQueue;
    auto* pending = new QDBusPendingCallWatcher(m_connection.asyncCall(request), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this, pending] {
        pending->deleteLater();
        const QDBusPendingReply<uint> reply = *pending;
        onNameReply(!reply.isError() && (reply.value() == primaryOwner || reply.value() == alreadyOwner));
    });
    // Registered under the name at once, without waiting for the answer: the bus handles this
    // connection's messages in order, so the name is ours before the watcher hears of it.
    registerWithWatcher();
}

ItemRegistration::~ItemRegistration()
{
    if (m_nameOwned) {
        // No answer is awaited: the name goes when the bus reads this, or with the connection.
        m_connection.send(busCall(QStringLiteral("ReleaseName"), m_serviceName));
    }
}

void ItemRegistration::onNameReply(bool owned)
{
    m_nameOwned = owned;
    // Refused (another connection has it): registered again under the connection's unique name.
    if (!owned) {
        registerWithWatcher();
    }
}

void ItemRegistration::registerWithWatcher()
{
    QDBusMessage call = QDBusMessage::createMethodCall(watcherService, QStringLiteral("/StatusNotifierWatcher"),
                                                       watcherService, QStringLiteral("RegisterStatusNotifierItem"));
    // Until the bus has answered, the name is taken to be ours.
    call << (m_nameOwned ? m_serviceName : m_connection.baseService());
    // A watcher that is not there is not started for this; it registers the item when it comes.
    call.setAutoStartService(false);
    auto* pending = new QDBusPendingCallWatcher(m_connection.asyncCall(call), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this, pending] {
        pending->deleteLater();
        if (!pending->isError()) {
            Q_EMIT registered();
        }
    });
}

} // namespace corvane
