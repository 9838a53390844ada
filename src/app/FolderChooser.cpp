#include "app/FolderChooser.h"

#include "form/FolderDialog.h"
#include "protocol/EventWriter.h"
#include "shell/TerminationRequests.h"

#include <QFile>
#include <QTimer>
#include <QWindow>

#include <cstdlib>

namespace corvane {

void runFolderChooser(bool smoke, TerminationRequests& termination)
{
    FolderDialog dialog(nullptr, QString::fromLocal8Bit(std::getenv("CORVANE_CURRENT_PROJECT_ROOT")));
    QObject::connect(&termination, &TerminationRequests::quitRequested, &dialog, &QDialog::reject);
    bool visible = false;
    if (smoke) {
        QTimer::singleShot(1000, &dialog, [&dialog, &visible] {
            visible = dialog.isVisible() && dialog.windowHandle() && dialog.windowHandle()->isExposed();
            dialog.reject();
        });
    }
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
    dialog.exec();
    const QString folder = dialog.chosenFolder();
    emit("folder-result", {
                              {"projectRoot", folder.isEmpty() ? EventValue(nullptr)
                                                               : EventValue(QFile::encodeName(folder).toStdString())},
                              {"visible", visible},
                              {"canCreateDirectories", dialog.canCreateDirectories()},
                          });
}

} // namespace corvane
