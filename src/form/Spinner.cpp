#include "form/Spinner.h"

#include <QAccessible>
#include <QPainter>

namespace corvane {
namespace {

constexpr int spokes = 12;

} // namespace

Spinner::Spinner(QWidget* parent) : QWidget(parent)
{
    setFixedSize(16, 16);
    m_timer.setInterval(80);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_step = (m_step + 1) % spokes;
        update();
    });
}

void Spinner::setRunning(bool running)
{
    if (running == m_timer.isActive()) {
        return;
    }
    if (running) {
        m_timer.start();
    } else {
        m_timer.stop();
    }
    update();
    QAccessible::State changed;
    changed.busy = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

void Spinner::paintEvent(QPaintEvent* /*event*/)
{
    if (!m_timer.isActive()) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(width() / 2.0, height() / 2.0);
    QColor colour = palette().color(QPalette::WindowText);
    for (int spoke = 0; spoke < spokes; ++spoke) {
        colour.setAlphaF(static_cast<float>(0.15 + 0.85 * ((spoke + spokes - m_step) % spokes) / double(spokes)));
        painter.setPen(QPen(colour, 1.6, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(0, -3.5), QPointF(0, -7));
        painter.rotate(360.0 / spokes);
    }
}

} // namespace corvane
