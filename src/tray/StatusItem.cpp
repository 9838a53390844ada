#include "StatusItem.h"

#include "MenuLayout.h"
#include "TrayText.h"
#include "UnicodeText.h"

#include <QMenu>
#include <QSystemTrayIcon>

namespace corvane {
namespace {

const char* const startingTitle = "正在启动…";

} // namespace

StatusItem::StatusItem(EventSink& events, TrayPath path, QObject* parent)
    : QObject(parent), m_events(events), m_path(path)
{
    buildTray();
}

StatusItem::~StatusItem()
{
    delete m_menu;
}

void StatusItem::buildTray()
{
    m_trayIcon = new QSystemTrayIcon(this);
    // The menu has no parent widget: a tray menu is a top-level popup, deleted with the status item.
    m_menu = new QMenu();
    m_menu->setSeparatorsCollapsible(false);
    MenuEntry starting;
    starting.id = "status";
    starting.text = startingTitle;
    starting.action = "status";
    addRow(m_menu, starting);
    m_trayIcon->setContextMenu(m_menu);
    setIcon("stopped", startingTitle);
    m_trayIcon->show();
}

void StatusItem::setIcon(std::string_view status, std::string_view summary)
{
    const QString mark = statusMark(status);
    if (!m_iconShown || mark != m_shownMark) {
        m_trayIcon->setIcon(m_iconPainter.render(mark));
        m_shownMark = mark;
        m_iconShown = true;
    }
    const QString tooltip = tooltipText(summary, m_path);
    if (tooltip != m_shownTooltip) {
        m_trayIcon->setToolTip(tooltip);
        m_shownTooltip = tooltip;
    }
}

void StatusItem::apply(const TrayState& state)
{
    std::vector<std::string> layout = menuLayout(state);
    if (layout != m_menuLayout) {
        rebuild(state);
        m_menuLayout = std::move(layout);
    }
    for (const MenuEntry* entry : state.entryViews()) {
        if (QAction* item = itemFor(entry->id)) {
            updateRow(item, *entry);
        }
    }
    setIcon(state.iconStatus, firstCharacters(state.tooltip, maxTooltipCharacters));
}

bool StatusItem::exerciseMenu(std::string_view id)
{
    QAction* item = itemFor(id);
    if (!item || !item->isEnabled()) {
        return false;
    }
    menuAction(item);
    return true;
}

void StatusItem::rebuild(const TrayState& state)
{
    m_items.clear();
    m_menu->clear();
    for (QMenu* submenu : m_submenus) {
        delete submenu;
    }
    m_submenus.clear();
    addRows(m_menu, state.menu);
}

void StatusItem::addRows(QMenu* menu, const std::vector<MenuEntry>& rows)
{
    for (const MenuEntry& entry : rows) {
        if (entry.isSeparator()) {
            menu->addSeparator();
            continue;
        }
        QAction* item = addRow(menu, entry);
        if (entry.hasChildren()) {
            auto* submenu = new QMenu();
            // The row shows the cut title; Qt gives a submenu no title apart from its row, so the whole
            // text becomes the menu window's own title (shown when the menu stands on its own).
            submenu->setWindowTitle(QString::fromStdString(entry.text));
            submenu->setSeparatorsCollapsible(false);
            m_submenus.push_back(submenu);
            addRows(submenu, *entry.children);
            item->setMenu(submenu);
        }
    }
}

QAction* StatusItem::addRow(QMenu* menu, const MenuEntry& entry)
{
    auto* item = menu->addAction(menuTitle(firstCharacters(entry.text, maxRowTitleCharacters), m_path));
    connect(item, &QAction::triggered, this, [this, item] { menuAction(item); });
    updateRow(item, entry);
    m_items[canonicalForm(entry.id)] = item;
    return item;
}

void StatusItem::updateRow(QAction* item, const MenuEntry& entry)
{
    const QString title = menuTitle(firstCharacters(entry.text, maxRowTitleCharacters), m_path);
    if (item->text() != title) {
        item->setText(title);
    }
    item->setEnabled(entry.enabled);
    const QByteArray action = QByteArray::fromStdString(entry.actionOrEmpty());
    if (item->data().toByteArray() != action) {
        item->setData(action);
    }
}

void StatusItem::menuAction(QAction* item)
{
    if (!item->isEnabled()) {
        return;
    }
    const QByteArray action = item->data().toByteArray();
    if (!action.isEmpty()) {
        m_events.emit("menu", {{"action", action.toStdString()}});
    }
}

QAction* StatusItem::itemFor(std::string_view id) const
{
    const auto found = m_items.find(canonicalForm(id));
    return found == m_items.end() ? nullptr : found->second;
}

} // namespace corvane
