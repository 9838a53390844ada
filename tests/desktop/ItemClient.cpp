// Blocking D-Bus client for a tray item and its menu. Main thread.
#include "ItemClient.h"

#include "IconPixmap.h"
#include "MenuNode.h"
#include "ToolTip.h"

#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDateTime>
#include <QJsonArray>

#include <algorithm>
#include <stdexcept>

namespace corvane {
namespace {

const QString itemInterface = QStringLiteral("org.kde.StatusNotifierItem");
const QString menuInterface = QStringLiteral("com.canonical.dbusmenu");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

[[noreturn]] void fail(const QString& message)
{
    throw std::runtime_error(message.toStdString());
}

QString menuPathOf(const QVariantMap& properties)
{
    return qdbus_cast<QDBusObjectPath>(properties.value(QStringLiteral("Menu"))).path();
}

} // namespace

ItemClient::ItemClient(QDBusConnection connection, QString service, QString path)
    : m_connection(connection), m_service(std::move(service)), m_path(std::move(path))
{}

QJsonObject ItemClient::dump() const
{
    const QVariantMap values = properties();
    const auto text = [&values](const char* name) { return values.value(QLatin1String(name)).toString(); };
    const auto toolTip = qdbus_cast<ToolTip>(values.value(QStringLiteral("ToolTip")));
    QJsonArray pixmaps;
    for (const IconPixmap& pixmap : qdbus_cast<QList<IconPixmap>>(values.value(QStringLiteral("IconPixmap")))) {
        pixmaps.append(QJsonArray{pixmap.width, pixmap.height});
    }
    const QString menu = menuPathOf(values);
    QJsonArray menuNodes;
    if (!menu.isEmpty()) {
        const QDBusMessage layout = call(menu, menuInterface, QStringLiteral("GetLayout"), {0, -1, QStringList()});
        for (const MenuNode& node : qdbus_cast<MenuNode>(layout.arguments().value(1)).children) {
            menuNodes.append(node.toJson());
        }
    }
    return {
        {QStringLiteral("id"), text("Id")},
        {QStringLiteral("title"), text("Title")},
        {QStringLiteral("status"), text("Status")},
        {QStringLiteral("category"), text("Category")},
        {QStringLiteral("tooltip"), QJsonObject{{QStringLiteral("icon"), toolTip.iconName},
                                                {QStringLiteral("title"), toolTip.title},
                                                {QStringLiteral("text"), toolTip.text}}},
        {QStringLiteral("iconPixmaps"), pixmaps},
        {QStringLiteral("iconName"), text("IconName")},
        {QStringLiteral("menuPath"), menu},
        {QStringLiteral("menu"), menuNodes},
    };
}

void ItemClient::sendMenuEvent(int id, const QString& eventId) const
{
    const auto timestamp = static_cast<uint>(QDateTime::currentSecsSinceEpoch());
    call(menuPath(), menuInterface, QStringLiteral("Event"),
         {id, eventId, QVariant::fromValue(QDBusVariant(0)), timestamp});
}

bool ItemClient::aboutToShow(int id) const
{
    return call(menuPath(), menuInterface, QStringLiteral("AboutToShow"), {id}).arguments().value(0).toBool();
}

QSize ItemClient::saveIcon(const QString& file) const
{
    const auto pixmaps = qdbus_cast<QList<IconPixmap>>(properties().value(QStringLiteral("IconPixmap")));
    const auto largest = std::max_element(pixmaps.begin(), pixmaps.end(), [](const auto& left, const auto& right) {
        return qint64(left.width) * left.height < qint64(right.width) * right.height;
    });
    if (largest == pixmaps.end()) {
        fail(QStringLiteral("the item has no icon pixmap"));
    }
    const QImage image = largest->toImage();
    if (image.isNull()) {
        fail(QStringLiteral("the icon pixmap has fewer bytes than its size needs"));
    }
    if (!image.save(file, "PNG")) {
        fail(QStringLiteral("cannot write ") + file);
    }
    return image.size();
}

QVariantMap ItemClient::properties() const
{
    const QDBusMessage reply = call(m_path, propertiesInterface, QStringLiteral("GetAll"), {itemInterface});
    return qdbus_cast<QVariantMap>(reply.arguments().value(0));
}

QString ItemClient::menuPath() const
{
    const QString path = menuPathOf(properties());
    if (path.isEmpty()) {
        fail(QStringLiteral("the item has no menu"));
    }
    return path;
}

QDBusMessage ItemClient::call(const QString& path, const QString& interface, const QString& method,
                              const QVariantList& arguments) const
{
    QDBusMessage message = QDBusMessage::createMethodCall(m_service, path, interface, method);
    message.setArguments(arguments);
    const QDBusMessage reply = m_connection.call(message);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        fail(method + QStringLiteral(": ") + reply.errorName() + QStringLiteral(": ") + reply.errorMessage());
    }
    return reply;
}

} // namespace corvane
