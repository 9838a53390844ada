#include "shell/WindowExposure.h"

#include <QEvent>

namespace corvane {

WindowExposure::WindowExposure(QWindow* window, std::chrono::milliseconds bound, QObject* parent)
    : QObject(parent), m_window(window)
{
    m_bound.setSingleShot(true);
    connect(&m_bound, &QTimer::timeout, this, [this] { report(false); });
    m_bound.start(bound);
    if (m_window) {
        m_window->installEventFilter(this);
    }
    // The first answer comes from the event loop, never from inside the constructor.
    QMetaObject::invokeMethod(this, &WindowExposure::check, Qt::QueuedConnection);
}

void WindowExposure::check()
{
    if (!m_window) {
        report(false);
    } else if (m_window->isExposed()) {
        report(true);
    }
}

void WindowExposure::report(bool exposed)
{
    if (m_reported) {
        return;
    }
    m_reported = true;
    m_bound.stop();
    if (m_window) {
        m_window->removeEventFilter(this);
    }
    Q_EMIT known(exposed);
}

bool WindowExposure::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window && event->type() == QEvent::Expose) {
        // Let the window take the event first, so isExposed() tells the new truth.
        QMetaObject::invokeMethod(this, &WindowExposure::check, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace corvane
