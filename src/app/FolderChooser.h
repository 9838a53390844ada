// The folder-chooser mode: a bare folder dialog, one "folder-result" event, then the end. In smoke runs
// the dialog records whether it was on screen and closes itself after one second. Main thread, with a
// QApplication but without the Application object.
#pragma once

namespace corvane {

void runFolderChooser(bool smoke);

} // namespace corvane
