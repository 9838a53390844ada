// The stand-in for the application's main menu on desktops without a global menu bar: the quit item
// ("退出 Corvane", Ctrl+Q) and the Edit items (剪切, 复制, 粘贴, 全选) as application-wide shortcuts. The
// Edit items act on the focused widget, as a responder chain would. They are active in every window
// they are attached to. Main thread.
#pragma once

#include <QObject>

#include <functional>

class QAction;
class QMenu;
class QWidget;

namespace corvane {

class MainMenu final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainMenu)

public:
    MainMenu(std::function<void()> requestClose, QObject* parent = nullptr);
    ~MainMenu() override;

    void attachTo(QWidget* window) const;

private:
    QMenu* m_applicationMenu = nullptr;
    QMenu* m_editMenu = nullptr;
};

} // namespace corvane
