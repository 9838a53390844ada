#include "tray/DBusStatusItem.h"

#include "protocol/DisplayText.h"
#include "protocol/MenuLayout.h"
#include "protocol/UnicodeText.h"
#include "tray/DBusMenuObject.h"
#include "tray/DBusTrayText.h"
#include "tray/ItemRegistration.h"
#include "tray/StatusNotifierItemObject.h"
#include "tray/TrayText.h"

namespace corvane {
namespace {

const char* const startingTitle = "正在启动…";
const QString itemPath = QStringLiteral("/StatusNotifierItem");
const QString menuPath = QStringLiteral("/MenuBar");

} // namespace

DBusStatusItem::DBusStatusItem(EventSink& events, QDBusConnection connection, int serial, QObject* parent)
    : QObject(parent), m_events(events), m_connection(std::move(connection))
{
    m_menu = new DBusMenuObject(
        [this](const std::string& action) {
            m_events.emit("menu", {{"action", action}});
        },
        this);
    m_item = new StatusNotifierItemObject(QDBusObjectPath(menuPath), this);
    setIcon("stopped", startingTitle);
    m_connection.registerObject(menuPath, m_menu, QDBusConnection::ExportAdaptors);
    m_connection.registerObject(itemPath, m_item, QDBusConnection::ExportAdaptors);
    // Registered last: a watcher reads the item as soon as it hears of it.
    m_registration = new ItemRegistration(m_connection, serial, this);
    connect(m_registration, &ItemRegistration::registered, this, &DBusStatusItem::registered);
}

DBusStatusItem::~DBusStatusItem()
{
    m_connection.unregisterObject(itemPath);
    m_connection.unregisterObject(menuPath);
}

QString DBusStatusItem::serviceName() const
{
    return m_registration->serviceName();
}

void DBusStatusItem::apply(const TrayState& state)
{
    if (hasLayout(state, m_menuLayout)) {
        m_menu->update(state);
    } else {
        m_menu->rebuild(state);
        assignMenuLayout(state, m_menuLayout);
    }
    setIcon(state.iconStatus, shownTooltip(state.tooltip));
}

bool DBusStatusItem::exerciseMenu(std::string_view id)
{
    std::string action;
    if (!m_menu->model().enabledRow(id, action)) {
        return false;
    }
    if (!action.empty()) {
        m_events.emit("menu", {{"action", action}});
    }
    return true;
}

void DBusStatusItem::setIcon(std::string_view status, std::string_view summary)
{
    if (m_iconShown && status == m_shownStatus && summary == m_shownSummary) {
        return;
    }
    // The mark follows from the status alone, and the tooltip title from the summary alone.
    if (!m_iconShown || status != m_shownStatus) {
        m_shownStatus = status;
        if (const QString mark = statusMark(status); !m_iconShown || mark != m_shownMark) {
            m_item->setIcon([this, mark] { return pixmapsFor(mark); });
            m_shownMark = mark;
        }
    }
    if (!m_iconShown || summary != m_shownSummary) {
        m_shownSummary = summary;
        // Made when a host reads it, from the summary shown then: a stream of states converts one.
        m_item->setToolTipTitle([this] { return dbusToolTipTitle(m_shownSummary); });
    }
    m_iconShown = true;
}

const IconPixmapList& DBusStatusItem::pixmapsFor(const QString& mark)
{
    auto pixmaps = m_pixmaps.find(mark);
    if (pixmaps == m_pixmaps.end()) {
        if (!m_iconPainter) {
            m_iconPainter.emplace();
        }
        pixmaps = m_pixmaps.insert(mark, iconPixmaps(m_iconPainter->icon(mark)));
    }
    return *pixmaps;
}

} // namespace corvane
