#include "shell/MainMenu.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

#include <array>

namespace corvane {
namespace {

struct EditItem {
    const char* title;
    QKeySequence::StandardKey key;
    const char* slot;
};

constexpr std::array<EditItem, 4> editItems = {{
    {"剪切", QKeySequence::Cut, "cut"},
    {"复制", QKeySequence::Copy, "copy"},
    {"粘贴", QKeySequence::Paste, "paste"},
    {"全选", QKeySequence::SelectAll, "selectAll"},
}};

} // namespace

MainMenu::MainMenu(std::function<void()> requestClose, QObject* parent)
    : QObject(parent), m_applicationMenu(new QMenu()), m_editMenu(new QMenu(QStringLiteral("编辑")))
{
    QAction* quit = m_applicationMenu->addAction(QStringLiteral("退出 Corvane"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quit->setShortcutContext(Qt::ApplicationShortcut);
    connect(quit, &QAction::triggered, this, [requestClose = std::move(requestClose)] { requestClose(); });

    for (const EditItem& entry : editItems) {
        QAction* item = m_editMenu->addAction(QString::fromUtf8(entry.title));
        item->setShortcut(entry.key);
        item->setShortcutContext(Qt::ApplicationShortcut);
        const char* slot = entry.slot;
        connect(item, &QAction::triggered, this, [slot] {
            if (QWidget* focused = QApplication::focusWidget()) {
                QMetaObject::invokeMethod(focused, slot);
            }
        });
    }
}

MainMenu::~MainMenu()
{
    delete m_applicationMenu;
    delete m_editMenu;
}

void MainMenu::attachTo(QWidget* window) const
{
    window->addActions(m_applicationMenu->actions());
    window->addActions(m_editMenu->actions());
}

} // namespace corvane
