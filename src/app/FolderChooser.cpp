#include "app/FolderChooser.h"

#include "form/FolderDialog.h"
#include "form/PortalFolderChooser.h"
#include "protocol/EventWriter.h"
#include "shell/TerminationRequests.h"

#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <QWindow>

#include <cstdlib>
#include <optional>

namespace corvane {
namespace {

constexpr int smokeCloseMs = 1000;

struct Choice {
    QString folder;
    bool visible = false;
    bool canCreateDirectories = true;
};

// The desktop's chooser through its portal; nothing when the desktop offers none. A portal's chooser
// counts as visible once the portal has taken the request and not yet answered: it is the portal's to
// show. It can always create folders.
std::optional<Choice> choosePortal(bool smoke, const QString& start, TerminationRequests& termination)
{
    PortalFolderChooser portal;
    QEventLoop loop;
    std::optional<Choice> choice;
    // A termination request cancels the chooser, or ends the wait for the portal with no folder.
    QObject::connect(&termination, &TerminationRequests::quitRequested, &loop, [&portal, &loop, &choice] {
        if (portal.isOpen()) {
            portal.close();
            return;
        }
        choice = Choice{};
        loop.quit();
    });
    QTimer smokeCheck;
    smokeCheck.setSingleShot(true);
    QObject::connect(&smokeCheck, &QTimer::timeout, &portal, [&portal, &choice] {
        if (portal.isOpen()) {
            choice = Choice{.folder = QString(), .visible = true, .canCreateDirectories = true};
            portal.close();
        }
    });
    QObject::connect(&portal, &PortalFolderChooser::unavailable, &loop, &QEventLoop::quit);
    QObject::connect(&portal, &PortalFolderChooser::finished, &loop, [&loop, &choice](const QString& folder) {
        const bool visible = choice && choice->visible;
        choice = Choice{.folder = folder, .visible = visible, .canCreateDirectories = true};
        loop.quit();
    });
    portal.open(QString(), start);
    if (smoke) {
        smokeCheck.start(smokeCloseMs);
    }
    loop.exec();
    return choice;
}

Choice chooseWithQt(bool smoke, const QString& start, TerminationRequests& termination)
{
    FolderDialog dialog(nullptr, start);
    QObject::connect(&termination, &TerminationRequests::quitRequested, &dialog, &QDialog::reject);
    bool visible = false;
    if (smoke) {
        QTimer::singleShot(smokeCloseMs, &dialog, [&dialog, &visible] {
            visible = dialog.isVisible() && dialog.windowHandle() && dialog.windowHandle()->isExposed();
            dialog.reject();
        });
    }
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
    dialog.exec();
    return {dialog.chosenFolder(), visible, dialog.canCreateDirectories()};
}

} // namespace

void runFolderChooser(bool smoke, TerminationRequests& termination)
{
    const QString start = startFolder(QString::fromLocal8Bit(std::getenv("CORVANE_CURRENT_PROJECT_ROOT")));
    std::optional<Choice> choice = choosePortal(smoke, start, termination);
    if (!choice) {
        choice = chooseWithQt(smoke, start, termination);
    }
    emit("folder-result",
         {
             {"projectRoot", choice->folder.isEmpty() ? EventValue(nullptr)
                                                      : EventValue(QFile::encodeName(choice->folder).toStdString())},
             {"visible", choice->visible},
             {"canCreateDirectories", choice->canCreateDirectories},
         });
}

} // namespace corvane
