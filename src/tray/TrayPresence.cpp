#include "tray/TrayPresence.h"

#include "shell/VisibilityWait.h"
#include "shell/WindowExposure.h"
#include "tray/StatusNotifierWatcher.h"
#include "tray/TrayItem.h"
#include "tray/XEmbedTray.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace corvane {

TrayPresence::TrayPresence(QObject* parent)
    : QObject(parent), m_watcher(new StatusNotifierWatcher(this)), m_xembed(new XEmbedTray(this))
{
    m_bound.setSingleShot(true);
    connect(&m_bound, &QTimer::timeout, this, [this] { finish(false); });
    connect(m_watcher, &StatusNotifierWatcher::changed, this, &TrayPresence::recheck);
    connect(m_watcher, &StatusNotifierWatcher::itemsKnown, this, &TrayPresence::onItems);
    connect(m_xembed, &XEmbedTray::managerAppeared, this, &TrayPresence::recheck);
}

void TrayPresence::awaitHost()
{
    m_waiting = Waiting::Host;
    m_bound.start(visibilityWaitBound());
    recheck();
}

void TrayPresence::confirmVisible(TrayItem& item)
{
    m_item = &item;
    if (item.path() == TrayPath::XEmbed) {
        m_deadline.setRemainingTime(visibilityWaitBound());
        awaitIconWindow();
        return;
    }
    if (item.path() != TrayPath::StatusNotifier) {
        Q_EMIT visibilityKnown(false);
        return;
    }
    m_waiting = Waiting::Visibility;
    m_bound.start(visibilityWaitBound());
    // The watcher's answer to our registration is the moment to look; its signals are another.
    connect(&item, &TrayItem::registered, m_watcher, &StatusNotifierWatcher::requestItems);
    m_watcher->requestItems();
}

void TrayPresence::awaitIconWindow()
{
    if (QWindow* window = xembedIconWindow()) {
        confirmExposure(window);
        return;
    }
    // Qt makes the icon's window once it has seen the tray manager itself, which can be a moment after
    // we did, and makes it again when a starting tray takes its selection anew: its next showing is
    // awaited within the bound.
    m_waiting = Waiting::IconWindow;
    m_bound.start(timeLeft());
    qApp->installEventFilter(this);
}

std::chrono::milliseconds TrayPresence::timeLeft() const
{
    return std::chrono::milliseconds(m_deadline.remainingTime());
}

void TrayPresence::confirmExposure(QWindow* window)
{
    auto* exposure = new WindowExposure(window, timeLeft(), this);
    connect(exposure, &WindowExposure::known, this, [this, exposure](bool exposed) {
        exposure->deleteLater();
        if (!exposed && !m_deadline.hasExpired()) {
            awaitIconWindow();
            return;
        }
        m_waiting = exposed ? Waiting::Following : Waiting::Nothing;
        Q_EMIT visibilityKnown(exposed);
        startFollowing();
    });
}

bool TrayPresence::eventFilter(QObject* watched, QEvent* event)
{
    if (m_waiting == Waiting::IconWindow && event->type() == QEvent::Show && watched->inherits("QSystemTrayIconSys")) {
        m_waiting = Waiting::Nothing;
        m_bound.stop();
        qApp->removeEventFilter(this);
        confirmExposure(static_cast<QWidget*>(watched)->windowHandle());
    }
    return QObject::eventFilter(watched, event);
}

TrayPath TrayPresence::availablePath() const
{
    using State = StatusNotifierWatcher::State;
    const State watcher = m_watcher->state();
    if (watcher == State::HostRegistered) {
        return TrayPath::StatusNotifier;
    }
    if ((watcher == State::Absent || watcher == State::NoHost) && m_xembed->managerPresent()) {
        return TrayPath::XEmbed;
    }
    return TrayPath::None;
}

void TrayPresence::recheck()
{
    if (m_waiting == Waiting::Host && availablePath() != TrayPath::None) {
        finish(true);
    } else if (m_waiting == Waiting::Visibility) {
        m_watcher->requestItems();
    } else if (m_waiting == Waiting::Following) {
        follow();
    }
}

void TrayPresence::startFollowing()
{
    // A change seen while visibility was being confirmed is followed now, after "tray-visible".
    if (m_waiting == Waiting::Following) {
        QMetaObject::invokeMethod(this, &TrayPresence::follow, Qt::QueuedConnection);
    }
}

void TrayPresence::follow()
{
    if (m_waiting != Waiting::Following) {
        return;
    }
    if (const TrayPath path = availablePath(); m_item && path != TrayPath::None && path != m_item->path()) {
        m_item->moveTo(path);
    }
}

void TrayPresence::onItems(const QStringList& items)
{
    if (m_waiting != Waiting::Visibility || !m_item) {
        return;
    }
    const QStringList ours = m_item->itemNames();
    for (const QString& item : items) {
        // An entry is a bus name, optionally followed by the item's object path.
        if (ours.contains(item.section(QLatin1Char('/'), 0, 0))) {
            finish(true);
            return;
        }
    }
}

void TrayPresence::finish(bool success)
{
    const Waiting waited = std::exchange(m_waiting, Waiting::Nothing);
    m_bound.stop();
    if (waited == Waiting::Host) {
        Q_EMIT hostSettled(success ? availablePath() : TrayPath::None);
    } else if (waited == Waiting::IconWindow) {
        qApp->removeEventFilter(this);
        Q_EMIT visibilityKnown(false);
    } else if (waited == Waiting::Visibility) {
        if (success) {
            m_waiting = Waiting::Following;
        }
        Q_EMIT visibilityKnown(success);
        startFollowing();
    }
}

// Qt's XEmbed tray icon is a small top-level widget of its own, which the tray reparents and maps.
QWindow* TrayPresence::xembedIconWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->inherits("QSystemTrayIconSys")) {
            return widget->windowHandle();
        }
    }
    return nullptr;
}

} // namespace corvane
