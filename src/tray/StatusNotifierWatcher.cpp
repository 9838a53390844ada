#include "tray/StatusNotifierWatcher.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

namespace corvane {
namespace {

const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString watcherPath = QStringLiteral("/StatusNotifierWatcher");

QDBusMessage propertyCall(const QString& name)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        watcherService, watcherPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    call << watcherService << name;
    // A watcher that is not running is not started for a question.
    call.setAutoStartService(false);
    return call;
}

} // namespace

StatusNotifierWatcher::StatusNotifierWatcher(QObject* parent) : QObject(parent), m_bus(QDBusConnection::sessionBus())
{
    if (!m_bus.isConnected()) {
        m_state = State::Absent;
        return;
    }
    auto* owners = new QDBusServiceWatcher(watcherService, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(owners, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& owner) { onOwner(owner); });
    // Any sender: a signal only makes us ask again, so a name filter (which Qt resolves with a blocking
    // call to the bus) buys nothing.
    m_bus.connect(QString(), watcherPath, watcherService, QStringLiteral("StatusNotifierHostRegistered"), this,
                  SLOT(onHostRegistered()));
    m_bus.connect(QString(), watcherPath, watcherService, QStringLiteral("StatusNotifierItemRegistered"), this,
                  SLOT(onItemRegistered()));
    QDBusMessage ownerCall =
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                       QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetNameOwner"));
    ownerCall << watcherService;
    const quint64 generation = m_generation;
    auto* pending = new QDBusPendingCallWatcher(m_bus.asyncCall(ownerCall), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this, pending, generation] {
        pending->deleteLater();
        // An owner change seen meanwhile is newer than this answer.
        if (generation != m_generation) {
            return;
        }
        const QDBusPendingReply<QString> reply = *pending;
        if (reply.isError() || reply.value().isEmpty()) {
            onOwner(QString());
        } else if (m_state == State::Unknown) {
            setState(State::Unanswered);
        }
    });
    // Asked along with the owner, to save a round trip: the bus answers the owner first, and a question
    // to a name nobody owns is dropped with the owner's answer.
    queryHost();
}

void StatusNotifierWatcher::requestItems()
{
    if (m_state == State::Absent || m_state == State::Unknown) {
        return;
    }
    if (m_itemsPending) {
        m_itemsAgain = true;
        return;
    }
    m_itemsPending = true;
    const quint64 generation = m_generation;
    auto* pending = new QDBusPendingCallWatcher(
        m_bus.asyncCall(propertyCall(QStringLiteral("RegisteredStatusNotifierItems"))), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this, pending, generation] {
        pending->deleteLater();
        m_itemsPending = false;
        const QDBusPendingReply<QDBusVariant> reply = *pending;
        if (generation == m_generation && !reply.isError()) {
            Q_EMIT itemsKnown(reply.value().variant().toStringList());
        }
        if (std::exchange(m_itemsAgain, false)) {
            requestItems();
        }
    });
}

void StatusNotifierWatcher::onHostRegistered()
{
    if (m_state != State::Absent && m_state != State::Unknown) {
        queryHost();
    }
}

void StatusNotifierWatcher::onItemRegistered()
{
    Q_EMIT changed();
}

void StatusNotifierWatcher::onOwner(const QString& owner)
{
    ++m_generation;
    m_itemsAgain = false;
    if (owner.isEmpty()) {
        setState(State::Absent);
        return;
    }
    setState(State::Unanswered);
    queryHost();
}

void StatusNotifierWatcher::queryHost()
{
    const quint64 generation = m_generation;
    auto* pending = new QDBusPendingCallWatcher(
        m_bus.asyncCall(propertyCall(QStringLiteral("IsStatusNotifierHostRegistered"))), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this, pending, generation] {
        pending->deleteLater();
        if (generation != m_generation) {
            return;
        }
        const QDBusPendingReply<QDBusVariant> reply = *pending;
        const QDBusError::ErrorType error = reply.isError() ? reply.error().type() : QDBusError::NoError;
        // A watcher that let the call time out has still not answered; any other error is an answer.
        if (error == QDBusError::NoReply || error == QDBusError::Timeout || error == QDBusError::TimedOut) {
            return;
        }
        setState(error == QDBusError::NoError && reply.value().variant().toBool() ? State::HostRegistered
                                                                                  : State::NoHost);
    });
}

void StatusNotifierWatcher::setState(State state)
{
    if (state != m_state) {
        m_state = state;
        Q_EMIT changed();
    }
}

} // namespace corvane
