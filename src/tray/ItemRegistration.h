// Puts the status item on the bus under its customary name, org.kde.StatusNotifierItem-<pid>-<n>, and
// registers it with the StatusNotifierWatcher: at once, and again whenever a watcher takes the
// watcher's name (a panel that restarts, or one that comes up after us). Every call is asynchronous: a
// watcher that never answers costs nothing but the pending call. Without the name (the bus refused it,
// which only happens when another connection has it), the item registers again under its connection's
// unique name. The name is given back on destruction, which
// is how watchers learn that the item is gone. Main thread.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace corvane {

class ItemRegistration final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ItemRegistration)

public:
    ItemRegistration(QDBusConnection connection, int serial, QObject* parent = nullptr);
    ~ItemRegistration() override;

    // org.kde.StatusNotifierItem-<pid>-<serial>.
    const QString& serviceName() const { return m_serviceName; }

Q_SIGNALS:
    // A watcher accepted the registration.
    void registered();

private:
    void onNameReply(bool owned);
    void registerWithWatcher();

    QDBusConnection m_connection;
    QString m_serviceName;
    bool m_nameOwned = true;
};

} // namespace corvane
