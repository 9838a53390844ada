#include "TrayPresence.h"

#include "StatusNotifierWatcher.h"
#include "VisibilityWait.h"
#include "XEmbedTray.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace corvane {

TrayPresence::TrayPresence(QObject* parent)
    : QObject(parent), m_watcher(new StatusNotifierWatcher(this)), m_xembed(new XEmbedTray(this))
{
    m_bound.setSingleShot(true);
    connect(&m_bound, &QTimer::timeout, this, [this] { finish(true); });
    connect(m_watcher, &StatusNotifierWatcher::changed, this, &TrayPresence::recheck);
    connect(m_xembed, &XEmbedTray::managerAppeared, this, &TrayPresence::recheck);
}

void TrayPresence::awaitHost()
{
    m_waiting = Waiting::Host;
    m_bound.start(visibilityWaitBound());
    recheck();
}

void TrayPresence::confirmVisible(TrayPath path)
{
    m_path = path;
    m_waiting = Waiting::Visibility;
    m_bound.start(visibilityWaitBound());
    if (path == TrayPath::XEmbed) {
        m_iconWindow = xembedIconWindow();
        if (m_iconWindow) {
            m_iconWindow->installEventFilter(this);
        }
    }
    recheck();
}

TrayPath TrayPresence::availablePath() const
{
    if (m_watcher->hostRegistered()) {
        return TrayPath::StatusNotifier;
    }
    return m_xembed->managerPresent() ? TrayPath::XEmbed : TrayPath::None;
}

bool TrayPresence::itemVisible() const
{
    switch (m_path) {
    case TrayPath::StatusNotifier:
        return m_watcher->ownItemRegistered();
    case TrayPath::XEmbed:
        return m_iconWindow && m_iconWindow->isExposed();
    case TrayPath::None:
        break;
    }
    return false;
}

void TrayPresence::recheck()
{
    if (m_waiting == Waiting::Host && availablePath() != TrayPath::None) {
        finish(false);
    } else if (m_waiting == Waiting::Visibility && (m_path == TrayPath::None || itemVisible())) {
        finish(false);
    }
}

void TrayPresence::finish(bool boundPassed)
{
    const Waiting waited = std::exchange(m_waiting, Waiting::Nothing);
    m_bound.stop();
    if (m_iconWindow) {
        m_iconWindow->removeEventFilter(this);
    }
    if (waited == Waiting::Host) {
        Q_EMIT hostSettled(boundPassed ? TrayPath::None : availablePath());
    } else if (waited == Waiting::Visibility) {
        Q_EMIT visibilityKnown(!boundPassed && itemVisible());
    }
}

bool TrayPresence::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_iconWindow && event->type() == QEvent::Expose) {
        // Let the window take the expose first, so isExposed() tells the new truth.
        QMetaObject::invokeMethod(this, &TrayPresence::recheck, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
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
