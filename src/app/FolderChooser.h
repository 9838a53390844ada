// The folder-chooser mode: the desktop's chooser through its portal where one answers, else a bare
// folder dialog; one "folder-result" event, then the end. In smoke runs the chooser records whether it
// was on screen and closes itself after one second. A termination request closes it as its cancel button
// would. Main thread, with a QApplication but without the Application object.
#pragma once

namespace corvane {

class TerminationRequests;

void runFolderChooser(bool smoke, TerminationRequests& termination);

} // namespace corvane
