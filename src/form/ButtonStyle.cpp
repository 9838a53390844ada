#include "form/ButtonStyle.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QVariant>
#include <QWidget>

namespace corvane {
namespace {

constexpr int ringWidth = 2;
// The ring, a one-pixel gap in the window's colour, then the button's face.
constexpr int faceInset = ringWidth + 1;

bool isDefault(const QStyleOption* option, const QWidget* widget)
{
    return widget && widget->property(ButtonStyle::defaultProperty).toBool() && (option->state & QStyle::State_Enabled);
}

} // namespace

ButtonStyle::ButtonStyle(QObject* parent)
{
    setParent(parent);
}

void ButtonStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                const QWidget* widget) const
{
    // The ring below stands for the focus; the style's own dotted frame would only add to it.
    if (element == PE_FrameFocusRect && qstyleoption_cast<const QStyleOptionFocusRect*>(option) && widget &&
        widget->inherits("QPushButton")) {
        return;
    }
    const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
    if (element != PE_PanelButtonCommand || !button) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    QStyleOptionButton face = *button;
    face.state &= ~State_HasFocus;
    face.features &= ~QStyleOptionButton::DefaultButton;
    const QColor accent = option->palette.color(QPalette::Highlight);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    if (option->state & State_HasFocus) {
        const qreal half = ringWidth / 2.0;
        painter->setPen(QPen(accent, ringWidth));
        painter->setBrush(Qt::NoBrush);
        painter->drawRoundedRect(QRectF(option->rect).adjusted(half, half, -half, -half), 4, 4);
        face.rect = option->rect.adjusted(faceInset, faceInset, -faceInset, -faceInset);
    }
    QProxyStyle::drawPrimitive(element, &face, painter, widget);
    if (isDefault(option, widget)) {
        painter->setPen(accent.darker(120));
        painter->setBrush(accent);
        painter->drawRoundedRect(QRectF(face.rect).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
    }
    painter->restore();
}

void ButtonStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                              const QWidget* widget) const
{
    if (element == CE_PushButtonLabel && isDefault(option, widget)) {
        QStyleOptionButton label = *qstyleoption_cast<const QStyleOptionButton*>(option);
        label.palette.setColor(QPalette::ButtonText, option->palette.color(QPalette::HighlightedText));
        QProxyStyle::drawControl(element, &label, painter, widget);
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

} // namespace corvane
