// Whether Qt has a platform plugin for a platform name as QT_QPA_PLATFORM gives it (without options):
// the "Keys" in the metadata of the plugins in Qt's platform plugin folders (QT_QPA_PLATFORM_PLUGIN_PATH,
// QT_PLUGIN_PATH, Qt's own), compared without regard to case, as Qt does. The metadata is read without
// loading any plugin. Callable before QApplication exists; main thread.
#pragma once

#include <string_view>

namespace corvane {

bool platformPluginPresent(std::string_view platform);

} // namespace corvane
