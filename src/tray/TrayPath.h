// How the status item reaches the desktop shell: as a StatusNotifierItem over D-Bus, or embedded in an
// XEmbed system tray. Qt picks one per process when the first tray icon is created.
#pragma once

namespace corvane {

enum class TrayPath { StatusNotifier, XEmbed, None };

} // namespace corvane
