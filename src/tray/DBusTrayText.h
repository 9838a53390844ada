// Controller texts as our own D-Bus export sends them, already cut to their user-perceived length, so
// that every tray host shows them literally (U+0000, which D-Bus strings cannot hold, as ␀). Pure; main
// thread by use.
//
// Menu labels: GTK-based hosts read "_" as the mnemonic marker and "__" as a literal "_"; Qt-based hosts
// swap "_" and "&" the same way. So "_" is doubled and "&" stays as it is: no character becomes a
// mnemonic. A tab would start a Qt-based host's shortcut column, so it becomes a space.
//
// Tooltips: hosts treat the ToolTip title differently: some show it as plain text, some render it as
// rich text when it looks like markup, some parse it as Pango markup (where a bare "&" or "<" makes the
// whole tooltip empty). No escaping reads the same on all three, so the three characters markup is
// made of are sent as their fullwidth forms (＆ ＜ ＞), which none of them interprets. Every other
// character is sent as it is.
#pragma once

#include <QString>

#include <string_view>

namespace corvane {

QString dbusMenuLabel(std::string_view cutText);
QString dbusToolTipTitle(std::string_view cutText);

} // namespace corvane
