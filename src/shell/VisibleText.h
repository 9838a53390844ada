// Controller text as the user interface shows it. A U+0000 inside it becomes U+2400 (SYMBOL FOR NULL),
// because the places it goes cut at a NUL (D-Bus strings, X properties, C strings): the user sees
// that a character stood there, and the text is never cut short. Only what is shown changes; the
// controller's values (ids, actions, the project folder sent back) stay as they came. Pure.
#pragma once

#include <QString>

#include <string_view>

namespace corvane {

// `utf8` as a QString, U+0000 shown as U+2400.
QString visibleText(std::string_view utf8);
// `text` with U+0000 shown as U+2400.
QString visibleText(QString text);

} // namespace corvane
