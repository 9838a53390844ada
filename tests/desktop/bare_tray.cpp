// bare_tray: the smallest Qt tray program, for proving the test host. Prints "available true|false",
// shows an icon with tooltip "hello" and a menu of "Greet" (prints "clicked") and "Quit", then prints
// "shown". Single-threaded.
#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QMenu>
#include <QPixmap>
#include <QSystemTrayIcon>

#include <cstdio>

namespace {

void say(const char* line)
{
    std::printf("%s\n", line);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    say(QSystemTrayIcon::isSystemTrayAvailable() ? "available true" : "available false");

    QMenu menu;
    QObject::connect(menu.addAction(QStringLiteral("Greet")), &QAction::triggered, [] { say("clicked"); });
    QObject::connect(menu.addAction(QStringLiteral("Quit")), &QAction::triggered, &app, &QCoreApplication::quit);
    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::darkCyan);
    QSystemTrayIcon icon{QIcon(pixmap)};
    icon.setToolTip(QStringLiteral("hello"));
    icon.setContextMenu(&menu);
    icon.show();
    say("shown");
    return app.exec();
}
