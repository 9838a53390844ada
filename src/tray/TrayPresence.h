// Whether the desktop has a tray host, and whether our item really is in it.
//
// After a cold login the shell may come up after us, so the status item is built only once a host is
// there, or once the wait bound has passed (visibilityWaitBound()). A host is a StatusNotifierWatcher
// that reports a registered host (the D-Bus path), or else an XEmbed tray manager (the XEmbed path).
// The XEmbed path is not taken while a watcher owns its name without having answered: Qt's tray icon
// asks that watcher with blocking calls when it is created.
// Visibility is then confirmed truthfully, within the same bound: on the D-Bus path our item is among
// the watcher's registered items; on the XEmbed path the tray has embedded and exposed our icon.
// Once the item is confirmed visible, it follows the desktop: when a watcher with a host comes, the item
// moves to the D-Bus path; when the watcher goes and an XEmbed tray is there, to the XEmbed path; with
// neither, it stays where it is (our registration follows a watcher that comes back).
// Waiting is event-driven (bus signals and asynchronous calls, X events, one timer for the bound);
// nothing here blocks on the bus. Main thread.
#pragma once

#include "tray/TrayPath.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>

class QWindow;

namespace corvane {

class StatusNotifierWatcher;
class TrayItem;
class XEmbedTray;

class TrayPresence final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TrayPresence)

public:
    explicit TrayPresence(QObject* parent = nullptr);

    // Emits hostSettled once: at once when a host is there, else when one comes or the bound passes.
    void awaitHost();
    // After the item was built on its path: emits visibilityKnown once; a visible item then follows the
    // desktop.
    void confirmVisible(TrayItem& item);

Q_SIGNALS:
    void hostSettled(corvane::TrayPath path);
    void visibilityKnown(bool visible);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Waiting { Nothing, Host, IconWindow, Visibility, Following };

    TrayPath availablePath() const;
    void recheck();
    void onItems(const QStringList& items);
    void finish(bool success);
    void startFollowing();
    void follow();
    void awaitIconWindow();
    void confirmExposure(QWindow* window);
    std::chrono::milliseconds timeLeft() const;
    static QWindow* xembedIconWindow();

    StatusNotifierWatcher* m_watcher = nullptr;
    XEmbedTray* m_xembed = nullptr;
    QTimer m_bound;
    QDeadlineTimer m_deadline;
    Waiting m_waiting = Waiting::Nothing;
    QPointer<TrayItem> m_item;
};

} // namespace corvane
