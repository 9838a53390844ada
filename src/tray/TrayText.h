// Controller texts, already cut (protocol/DisplayText), escaped so that the shell shows them literally
// on the chosen tray path (no mnemonics, shortcut columns or markup).
// Pure; main thread by use.
#pragma once

#include "tray/TrayPath.h"

#include <QString>

#include <string_view>

namespace corvane {

// A menu row or submenu title. Qt reads "&" as a mnemonic marker and a tab as the start of the shortcut
// column. Over D-Bus, Qt turns the first "&" into the dbusmenu mnemonic "_" and leaves literal "_"
// alone, which shells read as a mnemonic too.
QString menuTitle(std::string_view text, TrayPath path);

// A tooltip text, already cut. The XEmbed tooltip is a QToolTip, which renders anything that looks like
// markup; the D-Bus tooltip is sent as plain text.
QString tooltipText(std::string_view text, TrayPath path);

} // namespace corvane
