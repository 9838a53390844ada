// The desktop shell's StatusNotifierWatcher on the session bus, as this process sees it: whether it is
// on the bus, whether it reports a registered host, and which items it has registered. Nothing here
// blocks: every question goes out as an asynchronous call, the answers arrive as signals, and a watcher
// that owns its name but never answers simply stays Unanswered. Answers that belong to an earlier owner
// of the name are dropped. Main thread.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>

namespace corvane {

class StatusNotifierWatcher final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatusNotifierWatcher)

public:
    enum class State {
        // Not asked yet, or the bus has not answered whether the name has an owner.
        Unknown,
        // No watcher on the bus (or no bus).
        Absent,
        // A watcher owns the name and has not answered whether a host is registered.
        Unanswered,
        // The watcher answered that no host is registered (or answered with an error).
        NoHost,
        // The watcher reports a registered host: Qt would pick its D-Bus tray.
        HostRegistered,
    };

    explicit StatusNotifierWatcher(QObject* parent = nullptr);

    State state() const { return m_state; }

    // Asks the watcher for its registered items; itemsKnown() answers, once per request that the
    // watcher answers. A request made while one is on its way is folded into a second one after it.
    void requestItems();

Q_SIGNALS:
    // state() changed, or the watcher announced a newly registered item.
    void changed();
    // Entries are a bus name, optionally followed by the item's object path.
    void itemsKnown(const QStringList& items);

private Q_SLOTS:
    void onHostRegistered();
    void onItemRegistered();

private: // NOLINT(readability-redundant-access-specifiers): the slots above need their own section for moc
    void onOwner(const QString& owner);
    void queryHost();
    void setState(State state);

    QDBusConnection m_bus;
    State m_state = State::Unknown;
    // Grows with every owner change; an answer carries the generation it was asked in.
    quint64 m_generation = 0;
    bool m_itemsPending = false;
    bool m_itemsAgain = false;
};

} // namespace corvane
