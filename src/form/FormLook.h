// How the form looks on the desktop it runs on: its palette, taken from the application's (the
// desktop's, dark ones included) with every text colour moved just far enough to read at 4.5:1 against
// what it is drawn on, and its font, which shows Chinese in Simplified Chinese glyphs whatever the
// locale (fontconfig otherwise picks the Japanese CJK face under C and English locales). Main thread.
#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

namespace corvane {

// Small text needs this contrast ratio to its background.
constexpr double minimumTextContrast = 4.5;

// The contrast ratio of two opaque colours, from 1 (equal luminance) to 21 (black on white).
double contrastRatio(const QColor& first, const QColor& second);

// `colour` drawn over the opaque `background`: its alpha blended away.
QColor opaqueOver(const QColor& colour, const QColor& background);

// `colour` (opaque over `background`) with its hue and saturation kept and its lightness moved away from
// the background's until it reaches `minimum` against it; unchanged when it already does.
QColor readableOn(const QColor& colour, const QColor& background, double minimum = minimumTextContrast);

// The form's palette made from `desktop`: window, field and button texts, the placeholder, the selection
// and the accent (the default button's face under its title) all readable, in the active and inactive
// groups. Disabled texts are left as the desktop draws them.
QPalette formPalette(const QPalette& desktop);

// The secondary text colour (explanation, status line) and the error colour, on the palette's window.
QColor secondaryTextColour(const QPalette& palette);
QColor errorTextColour(const QPalette& palette);

// `base` with the Simplified Chinese face behind its own family, for every glyph the first lacks.
QFont simplifiedChineseFont(const QFont& base);

} // namespace corvane
