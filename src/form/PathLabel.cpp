#include "form/PathLabel.h"

#include "form/FormAccessibility.h"

#include <QPainter>

namespace corvane {

PathLabel::PathLabel(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void PathLabel::setText(const QString& text)
{
    m_text = text;
    updateGeometry();
    update();
    announceNameChange(this);
}

QStringList PathLabel::shownLines() const
{
    const QFontMetrics metrics = fontMetrics();
    const int available = qMax(1, width());
    if (metrics.horizontalAdvance(m_text) <= available) {
        return {m_text};
    }
    // The first line takes as much of the start as fits; the second shows the rest, shortened in the
    // middle when it is still too long.
    qsizetype fits = 1;
    qsizetype tooLong = m_text.size();
    while (tooLong - fits > 1) {
        const qsizetype middle = fits + (tooLong - fits) / 2;
        (metrics.horizontalAdvance(m_text.left(middle)) <= available ? fits : tooLong) = middle;
    }
    const qsizetype split = fits;
    return {m_text.left(split), metrics.elidedText(m_text.mid(split), Qt::ElideMiddle, available)};
}

QSize PathLabel::sizeHint() const
{
    return {fontMetrics().horizontalAdvance(m_text),
            fontMetrics().lineSpacing() * static_cast<int>(shownLines().size())};
}

QSize PathLabel::minimumSizeHint() const
{
    return {0, fontMetrics().lineSpacing() * 2};
}

void PathLabel::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    const int lineHeight = fontMetrics().lineSpacing();
    int top = 0;
    for (const QString& line : shownLines()) {
        painter.drawText(QRect(0, top, width(), lineHeight), Qt::AlignLeft | Qt::AlignVCenter, line);
        top += lineHeight;
    }
}

} // namespace corvane
