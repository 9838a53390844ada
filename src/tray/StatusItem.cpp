#include "tray/StatusItem.h"

#include "protocol/DisplayText.h"
#include "protocol/MenuLayout.h"
#include "protocol/UnicodeText.h"
#include "shell/VisibleText.h"
#include "tray/TrayText.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QSystemTrayIcon>

#include <utility>

namespace corvane {
namespace {

const char* const startingTitle = "正在启动…";

} // namespace

StatusItem::StatusItem(EventSink& events, QObject* parent) : QObject(parent), m_events(events)
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
    // The item is a menu: a left click opens it too, as a right click does.
    connect(m_trayIcon, &QSystemTrayIcon::activated, m_menu, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger) {
            m_menu->popup(QCursor::pos());
        }
    });
    setIcon("stopped", startingTitle);
    m_trayIcon->show();
}

void StatusItem::setIcon(std::string_view status, std::string_view summary)
{
    // The mark and the tooltip follow from these two alone.
    if (m_iconShown && status == m_shownStatus && summary == m_shownSummary) {
        return;
    }
    m_shownStatus = status;
    m_shownSummary = summary;
    const QString mark = statusMark(status);
    if (!m_iconShown || mark != m_shownMark) {
        m_trayIcon->setIcon(m_iconPainter.icon(mark));
        m_shownMark = mark;
        m_iconShown = true;
    }
    const QString tooltip = tooltipText(summary);
    if (tooltip != m_shownTooltip) {
        m_trayIcon->setToolTip(tooltip);
        m_shownTooltip = tooltip;
    }
}

void StatusItem::apply(const TrayState& state)
{
    if (!hasLayout(state, m_menuLayout)) {
        rebuild(state);
        assignMenuLayout(state, m_menuLayout);
    }
    std::size_t index = 0;
    state.forEachEntry([this, &index](const MenuEntry& entry) {
        updateEntry(index++, entry);
        return true;
    });
    setIcon(state.iconStatus, shownTooltip(state.tooltip));
    Q_EMIT applied();
}

bool StatusItem::exerciseMenu(std::string_view id)
{
    const Row* row = rowFor(id);
    if (!row || !row->item->isEnabled()) {
        return false;
    }
    menuAction(*row);
    return true;
}

void StatusItem::rebuild(const TrayState& state)
{
    // The new rows are made while the old ones still exist, so that no new row can take the address of
    // an old one; then the old rows go, as QMenu::clear() would remove and delete them.
    const QList<QAction*> oldActions = m_menu->actions();
    const std::vector<QMenu*> oldSubmenus = std::exchange(m_submenus, {});
    const std::deque<Row> oldRows = std::exchange(m_rows, {});
    m_items.clear();
    m_entryRows.clear();
    addRows(m_menu, state.menu);
    for (QAction* action : oldActions) {
        m_menu->removeAction(action);
        if (action->parent() == m_menu) {
            delete action;
        }
    }
    for (QMenu* submenu : oldSubmenus) {
        // Emptied first: a menu deleted with its rows still in it never tells its D-Bus counterpart they
        // went, and Qt then keeps every such row (and its connections) for the life of the process.
        submenu->clear();
        delete submenu;
    }
    for (const MenuEntry* entry : state.entryViews()) {
        m_entryRows.push_back(rowFor(entry->id));
    }
}

void StatusItem::addRows(QMenu* menu, const std::vector<MenuEntry>& rows)
{
    for (const MenuEntry& entry : rows) {
        if (entry.isSeparator()) {
            menu->addSeparator();
            continue;
        }
        Row& row = addRow(menu, entry);
        if (entry.hasChildren()) {
            auto* submenu = new QMenu();
            // The row shows the cut title; Qt gives a submenu no title apart from its row, so the whole
            // text becomes the menu window's own title (shown when the menu stands on its own).
            submenu->setWindowTitle(visibleText(entry.text));
            submenu->setSeparatorsCollapsible(false);
            m_submenus.push_back(submenu);
            addRows(submenu, *entry.children);
            row.item->setMenu(submenu);
        }
    }
}

StatusItem::Row& StatusItem::addRow(QMenu* menu, const MenuEntry& entry)
{
    Row& row = m_rows.emplace_back();
    row.text = entry.text;
    row.action = entry.actionOrEmpty();
    row.enabled = entry.enabled;
    // The action is complete before it joins the menu, so the menu (and the shell, over D-Bus) sees one
    // new row rather than a new row and then changes to it. The menu owns it, as addAction(text) would.
    row.item = new QAction(menuTitle(shownRowTitle(entry.text)), menu);
    row.item->setEnabled(entry.enabled);
    menu->addAction(row.item);
    connect(row.item, &QAction::triggered, this, [this, &row] { menuAction(row); });
    m_items[canonicalForm(entry.id)] = &row;
    return row;
}

void StatusItem::updateEntry(std::size_t index, const MenuEntry& entry)
{
    if (index < m_entryRows.size() && m_entryRows[index]) {
        updateRow(*m_entryRows[index], entry);
    }
}

void StatusItem::updateRow(Row& row, const MenuEntry& entry)
{
    // The title is made (cut, escaped, converted) only when the text differs from the one it came from.
    if (entry.text != row.text) {
        const QString title = menuTitle(shownRowTitle(entry.text));
        if (row.item->text() != title) {
            row.item->setText(title);
        }
        row.text = entry.text;
    }
    if (entry.enabled != row.enabled) {
        row.item->setEnabled(entry.enabled);
        row.enabled = entry.enabled;
    }
    if (const std::string& action = entry.actionOrEmpty(); action != row.action) {
        row.action = action;
    }
}

void StatusItem::menuAction(const Row& row)
{
    if (!row.item->isEnabled()) {
        return;
    }
    if (!row.action.empty()) {
        m_events.emit("menu", {{"action", row.action}});
    }
}

StatusItem::Row* StatusItem::rowFor(std::string_view id) const
{
    const auto found = m_items.find(canonicalForm(id));
    return found == m_items.end() ? nullptr : found->second;
}

} // namespace corvane
