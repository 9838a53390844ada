// Whether the desktop has a tray host, and whether our item really is in it.
//
// Qt picks the D-Bus or the XEmbed tray once per process, when the first tray icon is created, and
// never looks again. After a cold login the shell may come up after us, so the status item is built
// only once a host is there, or once the wait bound has passed (visibilityWaitBound()).
// Visibility is then confirmed truthfully, within the same bound: on the D-Bus path our item is among
// the watcher's registered items; on the XEmbed path the tray has embedded and exposed our icon.
// Waiting is event-driven (bus signals, X events, one timer for the bound). Main thread.
#pragma once

#include "tray/TrayPath.h"

#include <QObject>
#include <QString>
#include <QTimer>

class QSystemTrayIcon;
class QWindow;

namespace corvane {

class StatusNotifierWatcher;
class XEmbedTray;

class TrayPresence final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TrayPresence)

public:
    explicit TrayPresence(QObject* parent = nullptr);

    // Emits hostSettled once: at once when a host is there, else when one comes or the bound passes.
    void awaitHost();
    // After the tray icon was shown: emits visibilityKnown once.
    void confirmVisible(TrayPath path);

    // On the D-Bus path, once visibility is confirmed: the bus name our item is registered under. Kept
    // from the check, so asking costs no call on the bus.
    const QString& itemService() const { return m_itemService; }

Q_SIGNALS:
    void hostSettled(corvane::TrayPath path);
    void visibilityKnown(bool visible);

private:
    enum class Waiting { Nothing, Host, Visibility };

    TrayPath availablePath() const;
    bool itemVisible();
    void recheck();
    void finish(bool boundPassed);
    static QWindow* xembedIconWindow();

    StatusNotifierWatcher* m_watcher = nullptr;
    XEmbedTray* m_xembed = nullptr;
    QTimer m_bound;
    Waiting m_waiting = Waiting::Nothing;
    TrayPath m_path = TrayPath::None;
    QString m_itemService;
};

} // namespace corvane
