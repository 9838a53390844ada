// Expose detection for the bare form baseline.
#include "ExposeWatch.h"

#include <QEvent>

#include <utility>

ExposeWatch::ExposeWatch(QWindow* window, std::function<void()> exposed)
    : QObject(window), m_window(window), m_exposed(std::move(exposed))
{
    m_window->installEventFilter(this);
    QMetaObject::invokeMethod(this, &ExposeWatch::check, Qt::QueuedConnection);
}

void ExposeWatch::check()
{
    if (m_exposed && m_window->isExposed()) {
        m_window->removeEventFilter(this);
        std::exchange(m_exposed, nullptr)();
    }
}

bool ExposeWatch::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window && event->type() == QEvent::Expose) {
        QMetaObject::invokeMethod(this, &ExposeWatch::check, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}
