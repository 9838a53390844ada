// The host's line protocol: commands in on stdin, one JSON object per line out on stdout, a reply for
// every command and events for the watcher and the registered items' signals. Main thread; stdin is
// read through a socket notifier, and a command's D-Bus calls block until answered.
#pragma once

#include "StatusNotifierWatcher.h"

#include <QByteArray>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QJsonObject>
#include <QObject>
#include <QSocketNotifier>
#include <QString>

namespace corvane {

class HostSession final : public QObject {
    Q_OBJECT

public:
    HostSession(QDBusConnection connection, const StatusNotifierWatcher& watcher, QObject* parent = nullptr);

    // Reports "watcher-ready" and starts taking commands.
    void start();

private Q_SLOTS:
    // Receives every signal subscribed to on items and their menus.
    void onItemSignal(const QDBusMessage& message);

private:
    void readInput();
    void handleLine(const QByteArray& line);
    QJsonObject execute(const QString& command, const QString& argument) const;
    void onItemAdded(const QString& service, const QString& path);
    void subscribe(const QString& service, const QString& path, const QString& interface, const QStringList& names);
    void stop();

    QDBusConnection m_connection;
    const StatusNotifierWatcher& m_watcher;
    QSocketNotifier m_input;
    QByteArray m_pending;
};

} // namespace corvane
