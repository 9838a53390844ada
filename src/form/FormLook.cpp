#include "form/FormLook.h"

#include <QStringList>

#include <cmath>

namespace corvane {
namespace {

// The target sits a little above the minimum, so that rounding to 8-bit channels never drops below it.
constexpr double targetMargin = 0.1;
// The desktop's red for errors before it is made readable.
const QColor errorRed(0xd7, 0x00, 0x15);

double channel(int value)
{
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& colour)
{
    return 0.2126 * channel(colour.red()) + 0.7152 * channel(colour.green()) + 0.0722 * channel(colour.blue());
}

void makeReadable(QPalette& palette, QPalette::ColorGroup group, QPalette::ColorRole text,
                  QPalette::ColorRole background)
{
    const QColor under = palette.color(group, background);
    palette.setColor(group, text, readableOn(opaqueOver(palette.color(group, text), under), under));
}

} // namespace

double contrastRatio(const QColor& first, const QColor& second)
{
    const double a = luminance(first);
    const double b = luminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QColor opaqueOver(const QColor& colour, const QColor& background)
{
    const double alpha = colour.alphaF();
    const auto mix = [alpha](int over, int under) { return qRound(over * alpha + under * (1 - alpha)); };
    return {mix(colour.red(), background.red()), mix(colour.green(), background.green()),
            mix(colour.blue(), background.blue())};
}

QColor readableOn(const QColor& colour, const QColor& background, double minimum)
{
    QColor result = opaqueOver(colour, background);
    const double target = minimum + targetMargin;
    if (contrastRatio(result, background) >= minimum) {
        return result;
    }
    // Towards whichever end, black or white, stands further from the background.
    const bool lighter = contrastRatio(Qt::white, background) > contrastRatio(Qt::black, background);
    float hue = 0;
    float saturation = 0;
    float lightness = 0;
    result.getHslF(&hue, &saturation, &lightness);
    for (int step = 0; step < 100 && contrastRatio(result, background) < target; ++step) {
        lightness = std::clamp(lightness + (lighter ? 0.01F : -0.01F), 0.0F, 1.0F);
        result = QColor::fromHslF(hue, saturation, lightness).toRgb();
    }
    return result;
}

QPalette formPalette(const QPalette& desktop)
{
    QPalette palette = desktop;
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        makeReadable(palette, group, QPalette::WindowText, QPalette::Window);
        makeReadable(palette, group, QPalette::Text, QPalette::Base);
        makeReadable(palette, group, QPalette::PlaceholderText, QPalette::Base);
        makeReadable(palette, group, QPalette::ButtonText, QPalette::Button);
        // The accent is the background here: the default button's face and the selection under their text.
        const QColor onAccent = palette.color(group, QPalette::HighlightedText);
        palette.setColor(group, QPalette::Highlight, readableOn(palette.color(group, QPalette::Highlight), onAccent));
    }
    return palette;
}

QColor secondaryTextColour(const QPalette& palette)
{
    const QColor window = palette.color(QPalette::Window);
    return readableOn(palette.color(QPalette::PlaceholderText), window);
}

QColor errorTextColour(const QPalette& palette)
{
    return readableOn(errorRed, palette.color(QPalette::Window));
}

QFont simplifiedChineseFont(const QFont& base)
{
    QFont font = base;
    QStringList families = base.families();
    if (families.isEmpty()) {
        families.append(base.family());
    }
    families.removeAll(QStringLiteral("Noto Sans CJK SC"));
    families.append(QStringLiteral("Noto Sans CJK SC"));
    font.setFamilies(families);
    return font;
}

} // namespace corvane
