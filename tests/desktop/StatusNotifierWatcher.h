// The tray watcher of the test desktop, which is its tray host too: keeps the registered items, drops
// those whose bus name vanishes, and announces both on D-Bus and to the host session. Main thread.
#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusServiceWatcher>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

namespace corvane {

class StatusNotifierWatcher final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    // Written out so that clients reading properties through an introspecting proxy find them.
    Q_CLASSINFO("D-Bus Introspection",
                "  <interface name=\"org.kde.StatusNotifierWatcher\">\n"
                "    <method name=\"RegisterStatusNotifierItem\">\n"
                "      <arg name=\"service\" type=\"s\" direction=\"in\"/>\n"
                "    </method>\n"
                "    <method name=\"RegisterStatusNotifierHost\">\n"
                "      <arg name=\"service\" type=\"s\" direction=\"in\"/>\n"
                "    </method>\n"
                "    <property name=\"RegisteredStatusNotifierItems\" type=\"as\" access=\"read\"/>\n"
                "    <property name=\"IsStatusNotifierHostRegistered\" type=\"b\" access=\"read\"/>\n"
                "    <property name=\"ProtocolVersion\" type=\"i\" access=\"read\"/>\n"
                "    <signal name=\"StatusNotifierItemRegistered\">\n"
                "      <arg type=\"s\"/>\n"
                "    </signal>\n"
                "    <signal name=\"StatusNotifierItemUnregistered\">\n"
                "      <arg type=\"s\"/>\n"
                "    </signal>\n"
                "    <signal name=\"StatusNotifierHostRegistered\"/>\n"
                "  </interface>\n")
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ registeredItems)
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)

public:
    struct Item {
        QString service;
        QString path;
    };

    explicit StatusNotifierWatcher(QDBusConnection connection, QObject* parent = nullptr);

    // Exports this object and takes the watcher's bus name; false with `error` set when either fails.
    bool publish(QString& error);

    // "<service><path>" for every item, in registration order.
    QStringList registeredItems() const;
    bool isHostRegistered() const { return true; }
    int protocolVersion() const { return 0; }
    std::optional<Item> firstItem() const;
    // The item listed as `key` ("<service><path>").
    std::optional<Item> item(const QString& key) const;

public Q_SLOTS:
    // `serviceOrPath` is a bus name, whose item lives at /StatusNotifierItem, or an object path on the
    // caller's own connection.
    Q_SCRIPTABLE void RegisterStatusNotifierItem(const QString& serviceOrPath);
    Q_SCRIPTABLE void RegisterStatusNotifierHost(const QString& service);

Q_SIGNALS:
    Q_SCRIPTABLE void StatusNotifierItemRegistered(const QString& item);
    Q_SCRIPTABLE void StatusNotifierItemUnregistered(const QString& item);
    Q_SCRIPTABLE void StatusNotifierHostRegistered();

    // For the host session only; not exported.
    void itemAdded(const QString& service, const QString& path);
    void itemRemoved(const QString& service);

private:
    void removeService(const QString& service);

    QDBusConnection m_connection;
    QDBusServiceWatcher m_serviceWatcher;
    QList<Item> m_items;
};

} // namespace corvane
