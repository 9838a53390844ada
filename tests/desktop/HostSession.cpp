// The host's line protocol on stdin and stdout. Main thread.
#include "HostSession.h"

#include "ItemClient.h"

#include <QCoreApplication>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>

#include <cerrno>
#include <cstdio>
#include <stdexcept>
#include <unistd.h>

namespace corvane {
namespace {

const QString itemInterface = QStringLiteral("org.kde.StatusNotifierItem");
const QString menuInterface = QStringLiteral("com.canonical.dbusmenu");

// Item and menu signals and the events reporting them.
const QHash<QString, QString>& signalEvents()
{
    static const QHash<QString, QString> events{
        {QStringLiteral("NewToolTip"), QStringLiteral("new-tooltip")},
        {QStringLiteral("NewIcon"), QStringLiteral("new-icon")},
        {QStringLiteral("NewTitle"), QStringLiteral("new-title")},
        {QStringLiteral("NewStatus"), QStringLiteral("new-status")},
        {QStringLiteral("LayoutUpdated"), QStringLiteral("layout-updated")},
        {QStringLiteral("ItemsPropertiesUpdated"), QStringLiteral("items-properties-updated")},
    };
    return events;
}

void writeLine(const QJsonObject& object)
{
    const QByteArray line = QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stdout);
    std::fflush(stdout);
}

void writeEvent(const QString& name, QJsonObject fields = {})
{
    fields.insert(QStringLiteral("event"), name);
    writeLine(fields);
}

int menuId(const QString& argument)
{
    bool ok = false;
    const int id = argument.toInt(&ok);
    if (!ok) {
        throw std::runtime_error("expected a menu entry id");
    }
    return id;
}

} // namespace

HostSession::HostSession(QDBusConnection connection, const StatusNotifierWatcher& watcher, QObject* parent)
    : QObject(parent), m_connection(connection), m_watcher(watcher), m_input(STDIN_FILENO, QSocketNotifier::Read)
{
    m_input.setEnabled(false);
    connect(&m_input, &QSocketNotifier::activated, this, &HostSession::readInput);
    connect(&watcher, &StatusNotifierWatcher::itemAdded, this, &HostSession::onItemAdded);
    connect(&watcher, &StatusNotifierWatcher::itemRemoved, this, [](const QString& service) {
        writeEvent(QStringLiteral("item-unregistered"), {{QStringLiteral("service"), service}});
    });
}

void HostSession::start()
{
    writeEvent(QStringLiteral("watcher-ready"));
    m_input.setEnabled(true);
}

void HostSession::onItemSignal(const QDBusMessage& message)
{
    writeEvent(signalEvents().value(message.member()));
}

void HostSession::readInput()
{
    char buffer[4096];
    const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (count < 0 && (errno == EINTR || errno == EAGAIN)) {
        return;
    }
    if (count <= 0) {
        stop();
        return;
    }
    m_pending.append(buffer, count);
    for (qsizetype end = m_pending.indexOf('\n'); end >= 0 && m_input.isEnabled(); end = m_pending.indexOf('\n')) {
        const QByteArray line = m_pending.left(end);
        m_pending.remove(0, end + 1);
        handleLine(line);
    }
}

void HostSession::handleLine(const QByteArray& line)
{
    const QString text = QString::fromUtf8(line).trimmed();
    if (text.isEmpty()) {
        return;
    }
    const qsizetype space = text.indexOf(QLatin1Char(' '));
    const QString command = text.left(space);
    const QString argument = space < 0 ? QString() : text.mid(space + 1).trimmed();
    QJsonObject reply;
    try {
        reply = execute(command, argument);
        reply.insert(QStringLiteral("ok"), true);
    } catch (const std::exception& error) {
        reply = {{QStringLiteral("ok"), false}, {QStringLiteral("error"), QString::fromUtf8(error.what())}};
    }
    reply.insert(QStringLiteral("reply"), command);
    writeLine(reply);
    if (command == QStringLiteral("quit")) {
        stop();
    }
}

QJsonObject HostSession::execute(const QString& command, const QString& argument) const
{
    if (command == QStringLiteral("quit")) {
        return {};
    }
    if (command == QStringLiteral("items")) {
        return {{QStringLiteral("items"), QJsonArray::fromStringList(m_watcher.registeredItems())}};
    }
    static const QStringList itemCommands{QStringLiteral("dump"), QStringLiteral("click"),
                                          QStringLiteral("about-to-show"), QStringLiteral("icon")};
    if (!itemCommands.contains(command)) {
        throw std::runtime_error("unknown command");
    }
    // "dump <item>" reads the item listed as <item> by "items"; every other command the first item.
    const bool named = command == QStringLiteral("dump") && !argument.isEmpty();
    const std::optional<StatusNotifierWatcher::Item> item = named ? m_watcher.item(argument) : m_watcher.firstItem();
    if (!item) {
        throw std::runtime_error(named ? "no such item" : "no item registered");
    }
    const ItemClient client(m_connection, item->service, item->path);
    if (command == QStringLiteral("dump")) {
        return client.dump();
    }
    if (command == QStringLiteral("click")) {
        client.sendMenuEvent(menuId(argument), QStringLiteral("clicked"));
        return {};
    }
    if (command == QStringLiteral("about-to-show")) {
        return {{QStringLiteral("needUpdate"), client.aboutToShow(menuId(argument))}};
    }
    if (argument.isEmpty()) {
        throw std::runtime_error("expected a file name");
    }
    const QSize size = client.saveIcon(argument);
    return {{QStringLiteral("width"), size.width()}, {QStringLiteral("height"), size.height()}};
}

void HostSession::onItemAdded(const QString& service, const QString& path)
{
    subscribe(service, path, itemInterface,
              {QStringLiteral("NewToolTip"), QStringLiteral("NewIcon"), QStringLiteral("NewTitle"),
               QStringLiteral("NewStatus")});
    // Any path: the menu's path is a property of the item, and reading it here could block on an item
    // that is still waiting for its registration call to return.
    subscribe(service, QString(), menuInterface,
              {QStringLiteral("LayoutUpdated"), QStringLiteral("ItemsPropertiesUpdated")});
    writeEvent(QStringLiteral("item-registered"),
               {{QStringLiteral("service"), service}, {QStringLiteral("path"), path}});
}

void HostSession::subscribe(const QString& service, const QString& path, const QString& interface,
                            const QStringList& names)
{
    // A vanished service never signals again, so subscriptions are left in place when an item goes.
    for (const QString& name : names) {
        m_connection.connect(service, path, interface, name, this, SLOT(onItemSignal(QDBusMessage)));
    }
}

void HostSession::stop()
{
    m_input.setEnabled(false);
    QCoreApplication::quit();
}

} // namespace corvane
