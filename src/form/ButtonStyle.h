// The form's push buttons on top of the application's style, so that the two marks a button can carry
// never look alike: the default button is filled with the accent colour, its title in the accent's text
// colour; the focused button has a two-pixel accent ring around it, clear of its face. (Fusion draws both
// as the same accent outline.) Main thread.
#pragma once

#include <QProxyStyle>

namespace corvane {

class ButtonStyle final : public QProxyStyle {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ButtonStyle)

public:
    // The dynamic property, true on the one button that Return presses where no button has the focus.
    static constexpr const char* defaultProperty = "corvaneDefault";

    explicit ButtonStyle(QObject* parent);

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
};

} // namespace corvane
