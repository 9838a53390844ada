#include "app/FolderChooser.h"

#include "form/FolderDialog.h"
#include "form/PortalFolderChooser.h"
#include "protocol/EventWriter.h"

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
std::optional<Choice> choosePortal(bool smoke, const QString& start)
{
    PortalFolderChooser portal;
    QEventLoop loop;
    std::optional<Choice> choice;
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

Choice chooseWithQt(bool smoke, const QString& start)
{
    FolderDialog dialog(nullptr, start);
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

void runFolderChooser(bool smoke)
{
    const QString start = startFolder(QString::fromLocal8Bit(std::getenv("CORVANE_CURRENT_PROJECT_ROOT")));
    std::optional<Choice> choice = choosePortal(smoke, start);
    if (!choice) {
        choice = chooseWithQt(smoke, start);
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
