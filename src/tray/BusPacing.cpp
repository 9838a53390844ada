#include "tray/BusPacing.h"

#include "shell/InputChannel.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>

namespace corvane {

BusPacing::BusPacing(QString itemService, InputChannel& input, QObject* parent)
    : QObject(parent), m_itemService(std::move(itemService)), m_input(input)
{}

void BusPacing::stateApplied()
{
    if (++m_statesSinceRoundTrip < statesPerRoundTrip) {
        return;
    }
    if (!m_roundTripOpen) {
        startRoundTrip();
    } else if (!m_inputPaused) {
        m_inputPaused = true;
        m_input.pause();
    }
}

void BusPacing::startRoundTrip()
{
    m_statesSinceRoundTrip = 0;
    m_roundTripOpen = true;
    // Sent from our own connection, so the item's connection answers it like any peer's.
    const QDBusMessage ping = QDBusMessage::createMethodCall(
        m_itemService, QStringLiteral("/"), QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"));
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(ping), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        onAnswered();
    });
}

void BusPacing::onAnswered()
{
    m_roundTripOpen = false;
    if (m_statesSinceRoundTrip >= statesPerRoundTrip) {
        startRoundTrip();
    }
    if (m_inputPaused) {
        m_inputPaused = false;
        m_input.resume();
    }
}

} // namespace corvane
