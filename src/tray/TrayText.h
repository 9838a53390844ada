// Controller texts on the XEmbed path, already cut (protocol/DisplayText), escaped so that Qt's own menu
// and tooltip show them literally (no mnemonics, shortcut columns or markup). The D-Bus path has its own
// encodings (DBusTrayText). Pure; main thread by use.
#pragma once

#include <QString>

#include <string_view>

namespace corvane {

// A menu row or submenu title for a QMenu, which reads "&" as a mnemonic marker and a tab as the start
// of the shortcut column.
QString menuTitle(std::string_view text);

// A tooltip text for a QToolTip, which renders anything that looks like markup.
QString tooltipText(std::string_view text);

} // namespace corvane
