// bench_bare_tray: the tray baseline. QApplication, QSystemTrayIcon and QMenu, as a plain Qt program
// would write them; prints {"event":"ready"} once shown. Each input line (read on the main thread
// through a socket notifier) is parsed with nlohmann/json; a state whose ids differ from the shown rows
// refills the menu, any other sets the rows' texts and enabled flags in place; the tooltip is set (cut
// to 360 UTF-16 units). Each line is answered by {"event":"state-applied","status":...} or
// {"event":"protocol-error"}. End of input quits.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPixmap>
#include <QSocketNotifier>
#include <QSystemTrayIcon>

#include <nlohmann/json.hpp>

#include <string>
#include <unistd.h>
#include <vector>

namespace {

using nlohmann::json;

struct ShownRows {
    std::vector<std::string> ids;
    std::vector<QAction*> actions;
    std::vector<QMenu*> submenus;
};

void say(const std::string& line)
{
    [[maybe_unused]] const ssize_t written = ::write(STDOUT_FILENO, line.data(), line.size());
}

// The ids of the top-level rows, each followed by its children's.
std::vector<std::string> idsOf(const json& rows)
{
    std::vector<std::string> ids;
    for (const json& row : rows) {
        ids.push_back(row.value("id", std::string()));
        if (const auto children = row.find("children"); children != row.end() && children->is_array()) {
            for (const json& child : *children) {
                ids.push_back(child.value("id", std::string()));
            }
        }
    }
    return ids;
}

void addRows(QMenu* menu, const json& rows, ShownRows& shown)
{
    for (const json& row : rows) {
        QAction* action = menu->addAction(QString());
        shown.actions.push_back(action);
        if (const auto children = row.find("children"); children != row.end() && children->is_array()) {
            auto* submenu = new QMenu();
            shown.submenus.push_back(submenu);
            addRows(submenu, *children, shown);
            action->setMenu(submenu);
        }
    }
}

void setTexts(const json& rows, ShownRows& shown, std::size_t& index)
{
    for (const json& row : rows) {
        QAction* action = shown.actions[index++];
        action->setText(QString::fromStdString(row.value("text", std::string())));
        action->setEnabled(row.value("enabled", false));
        if (const auto children = row.find("children"); children != row.end() && children->is_array()) {
            setTexts(*children, shown, index);
        }
    }
}

bool apply(std::string_view line, QSystemTrayIcon& icon, QMenu& menu, ShownRows& shown)
{
    const json state = json::parse(line, nullptr, false);
    if (!state.is_object()) {
        return false;
    }
    const auto status = state.find("status");
    const auto rows = state.find("menu");
    if (status == state.end() || !status->is_string() || rows == state.end() || !rows->is_array()) {
        return false;
    }
    std::vector<std::string> ids = idsOf(*rows);
    if (ids != shown.ids) {
        menu.clear();
        for (QMenu* submenu : shown.submenus) {
            delete submenu;
        }
        shown = ShownRows{std::move(ids), {}, {}};
        addRows(&menu, *rows, shown);
    }
    std::size_t index = 0;
    setTexts(*rows, shown, index);
    icon.setToolTip(QString::fromStdString(state.value("tooltip", std::string())).left(360));
    say("{\"event\":\"state-applied\",\"status\":\"" + status->get<std::string>() + "\"}\n");
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMenu menu;
    ShownRows shown;
    shown.actions.push_back(menu.addAction(QStringLiteral("Starting")));
    shown.ids.emplace_back("status");
    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::darkCyan);
    QSystemTrayIcon icon{QIcon(pixmap)};
    icon.setToolTip(QStringLiteral("Starting"));
    icon.setContextMenu(&menu);
    icon.show();

    std::string pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[4096];
        const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (count <= 0) {
            input.setEnabled(false);
            QCoreApplication::quit();
            return;
        }
        std::size_t searchFrom = pending.size();
        pending.append(buffer, static_cast<std::size_t>(count));
        std::size_t lineStart = 0;
        for (std::size_t end = pending.find('\n', searchFrom); end != std::string::npos;
             end = pending.find('\n', lineStart)) {
            if (!apply(std::string_view(pending).substr(lineStart, end - lineStart), icon, menu, shown)) {
                say("{\"event\":\"protocol-error\"}\n");
            }
            lineStart = end + 1;
        }
        pending.erase(0, lineStart);
    });
    say("{\"event\":\"ready\"}\n");
    const int status = QApplication::exec();
    for (QMenu* submenu : shown.submenus) {
        delete submenu;
    }
    return status;
}
