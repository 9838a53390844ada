// The desktop shell's StatusNotifierWatcher on the session bus, as this process sees it: whether a host
// is registered (Qt then uses the D-Bus tray), and whether our own item is registered with it.
// Main thread; the calls block on the session bus for one round trip each.
#pragma once

#include <QObject>
#include <QString>

namespace corvane {

class StatusNotifierWatcher final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatusNotifierWatcher)

public:
    explicit StatusNotifierWatcher(QObject* parent = nullptr);

    // The rule Qt applies when it picks its tray: the watcher is on the bus and reports a host.
    bool hostRegistered() const;
    // The bus name of the item registered with the watcher that belongs to this process; empty if none.
    QString ownItemService() const;

Q_SIGNALS:
    // Something changed that may answer one of the questions above.
    void changed();

private Q_SLOTS:
    void onWatcherSignal();
};

} // namespace corvane
