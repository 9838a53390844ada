#include "tray/TrayPresence.h"

#include "shell/VisibilityWait.h"
#include "shell/WindowExposure.h"
#include "tray/StatusNotifierWatcher.h"
#include "tray/XEmbedTray.h"

#include <QApplication>
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
    if (path == TrayPath::XEmbed) {
        auto* exposure = new WindowExposure(xembedIconWindow(), visibilityWaitBound(), this);
        connect(exposure, &WindowExposure::known, this, [this, exposure](bool exposed) {
            exposure->deleteLater();
            Q_EMIT visibilityKnown(exposed);
        });
        return;
    }
    m_waiting = Waiting::Visibility;
    m_bound.start(visibilityWaitBound());
    recheck();
}

TrayPath TrayPresence::availablePath() const
{
    if (m_watcher->hostRegistered()) {
        return TrayPath::StatusNotifier;
    }
    return m_xembed->managerPresent() ? TrayPath::XEmbed : TrayPath::None;
}

bool TrayPresence::itemVisible()
{
    if (m_path != TrayPath::StatusNotifier) {
        return false;
    }
    m_itemService = m_watcher->ownItemService();
    return !m_itemService.isEmpty();
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
    if (waited == Waiting::Host) {
        Q_EMIT hostSettled(boundPassed ? TrayPath::None : availablePath());
    } else if (waited == Waiting::Visibility) {
        // The check that ended the wait has just found (or not) our item: no second call on the bus.
        Q_EMIT visibilityKnown(!boundPassed && !m_itemService.isEmpty());
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
