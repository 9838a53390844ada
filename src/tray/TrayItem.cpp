#include "tray/TrayItem.h"

#include "tray/DBusStatusItem.h"
#include "tray/StatusItem.h"

namespace corvane {
namespace {

const QString connectionName = QStringLiteral("corvane-status-item");

} // namespace

TrayItem::TrayItem(EventSink& events, TrayPath path, QObject* parent)
    : QObject(parent), m_events(events), m_path(path),
      m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName))
{
    build();
}

TrayItem::~TrayItem()
{
    delete m_view;
    m_bus = QDBusConnection(QString());
    QDBusConnection::disconnectFromBus(connectionName);
}

void TrayItem::apply(const TrayState& state)
{
    m_state = state;
    if (m_frontend) {
        m_frontend->apply(state);
    }
    Q_EMIT applied();
}

bool TrayItem::exerciseMenu(std::string_view id)
{
    return m_frontend && m_frontend->exerciseMenu(id);
}

void TrayItem::moveTo(TrayPath path)
{
    if (path == m_path) {
        return;
    }
    m_path = path;
    build();
}

QString TrayItem::busService() const
{
    return m_bus.isConnected() ? m_bus.baseService() : QString();
}

QStringList TrayItem::itemNames() const
{
    if (m_itemService.isEmpty()) {
        return {};
    }
    return {m_itemService, busService()};
}

void TrayItem::build()
{
    // The old item goes first: a QSystemTrayIcon and our export must never both show us.
    delete m_view;
    m_view = nullptr;
    m_frontend = nullptr;
    m_itemService.clear();
    if (m_path == TrayPath::StatusNotifier && m_bus.isConnected()) {
        auto* item = new DBusStatusItem(m_events, m_bus, ++m_serial, this);
        connect(item, &DBusStatusItem::registered, this, &TrayItem::registered);
        m_itemService = item->serviceName();
        m_view = item;
        m_frontend = item;
    } else if (m_path == TrayPath::XEmbed) {
        auto* item = new StatusItem(m_events, this);
        m_view = item;
        m_frontend = item;
    }
    if (m_frontend && m_state) {
        m_frontend->apply(*m_state);
    }
}

} // namespace corvane
