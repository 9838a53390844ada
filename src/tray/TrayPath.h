// How the status item reaches the desktop shell: as a StatusNotifierItem over D-Bus, or embedded in an
// XEmbed system tray. The item takes the path the desktop offers, and moves when that changes.
#pragma once

namespace corvane {

enum class TrayPath { StatusNotifier, XEmbed, None };

} // namespace corvane
