// Reads one registered tray item and drives its menu with blocking D-Bus calls. Every call throws
// std::runtime_error carrying the D-Bus error when it fails. Main thread.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QJsonObject>
#include <QSize>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

namespace corvane {

class ItemClient final {
public:
    ItemClient(QDBusConnection connection, QString service, QString path);

    // The fields of the host's "dump" reply: the item's properties and its whole menu layout.
    QJsonObject dump() const;
    // Sends the dbusmenu event `eventId` ("clicked", ...) for the menu entry `id`.
    void sendMenuEvent(int id, const QString& eventId) const;
    // Returns whether the item says the layout needs an update.
    bool aboutToShow(int id) const;
    // Writes the largest icon pixmap to `file` as a PNG and returns its size.
    QSize saveIcon(const QString& file) const;

private:
    QVariantMap properties() const;
    QString menuPath() const;
    QDBusMessage call(const QString& path, const QString& interface, const QString& method,
                      const QVariantList& arguments) const;

    QDBusConnection m_connection;
    QString m_service;
    QString m_path;
};

} // namespace corvane
