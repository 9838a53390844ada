#include "tray/DBusMenuModel.h"

#include "protocol/DisplayText.h"
#include "protocol/UnicodeText.h"
#include "tray/DBusTrayText.h"
#include "tray/TrayText.h"

#include <QByteArray>

#include <algorithm>
#include <array>
#include <climits>

namespace corvane {
namespace {

const char* const startingTitle = "正在启动…";
const QString invalidArgs = QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs");
const QString unknownProperty = QStringLiteral("org.freedesktop.DBus.Error.UnknownProperty");

const QString labelKey = QStringLiteral("label");
const QString enabledKey = QStringLiteral("enabled");
const QString typeKey = QStringLiteral("type");
const QString childrenDisplayKey = QStringLiteral("children-display");
const QString accessibleDescKey = QStringLiteral("accessible-desc");

// Every item property the interface defines, with its default value. "x-" names are vendor extensions:
// a host may ask for them, and no item here carries one.
const std::array<std::pair<const char*, QVariant>, 12>& knownProperties()
{
    static const std::array<std::pair<const char*, QVariant>, 12> properties = {{
        {"type", QStringLiteral("standard")},
        {"label", QString()},
        {"enabled", true},
        {"visible", true},
        {"icon-name", QString()},
        {"icon-data", QByteArray()},
        {"shortcut", QVariant::fromValue(QList<QStringList>())},
        {"toggle-type", QString()},
        {"toggle-state", -1},
        {"children-display", QString()},
        {"disposition", QStringLiteral("normal")},
        {"accessible-desc", QString()},
    }};
    return properties;
}

const QVariant* defaultOf(const QString& name)
{
    for (const auto& [known, value] : knownProperties()) {
        if (name == QLatin1String(known)) {
            return &value;
        }
    }
    return nullptr;
}

bool isVendorName(const QString& name)
{
    return name.startsWith(QLatin1String("x-"));
}

MenuCallFailure unknownId(int id)
{
    return {invalidArgs, QStringLiteral("no menu item has the id %1").arg(id)};
}

std::optional<MenuCallFailure> checkNames(const QStringList& names)
{
    for (const QString& name : names) {
        if (!defaultOf(name) && !isVendorName(name)) {
            return MenuCallFailure{invalidArgs, QStringLiteral("no menu item property is named \"%1\"").arg(name)};
        }
    }
    return std::nullopt;
}

std::optional<MenuCallFailure> checkEventId(const QString& eventId)
{
    static const std::array<QLatin1String, 4> events = {QLatin1String("clicked"), QLatin1String("hovered"),
                                                        QLatin1String("opened"), QLatin1String("closed")};
    if (isVendorName(eventId) || std::find(events.begin(), events.end(), eventId) != events.end()) {
        return std::nullopt;
    }
    return MenuCallFailure{invalidArgs, QStringLiteral("no menu event is named \"%1\"").arg(eventId)};
}

QString labelFor(const std::string& text)
{
    return dbusMenuLabel(shownRowTitle(text));
}

// GTK hosts (libdbusmenu-gtk) name a row that has no "accessible-desc" after its label with every "_"
// taken out, so a screen reader would read "_now_" as "now". A label holding an underscore therefore
// carries the text as it is shown; a row that carried it goes on carrying it, since taking a property
// back would leave those hosts with an empty name.
std::optional<QString> accessibleDescOf(const QString& label, bool carried)
{
    if (!carried && !label.contains(QLatin1Char('_'))) {
        return std::nullopt;
    }
    return QString(label).replace(QLatin1String("__"), QLatin1String("_"));
}

} // namespace

DBusMenuModel::DBusMenuModel()
{
    MenuEntry starting;
    starting.id = "status";
    starting.text = startingTitle;
    starting.action = "status";
    m_items.emplace_back();
    m_items.resize(setItems({starting}, 0, 1));
}

void DBusMenuModel::rebuild(const TrayState& state)
{
    // Ids go on after the last ones given out. A valid state has at most 32 entries, so the margin keeps
    // every new id below INT_MAX.
    const long long next = static_cast<long long>(m_idBase) + static_cast<long long>(m_items.size() - 1);
    m_idBase = next > INT_MAX - 65536LL ? 0 : static_cast<int>(next);
    m_items.front().children.clear();
    m_items.resize(setItems(state.menu, 0, 1));
    ++m_revision;
}

std::size_t DBusMenuModel::setItems(const std::vector<MenuEntry>& entries, std::size_t parent, std::size_t next)
{
    // Each row is followed by its children: the order of TrayState::forEachEntry, which update() follows.
    for (const MenuEntry& entry : entries) {
        const std::size_t index = next++;
        setItem(itemAt(index), entry);
        m_items[parent].children.push_back(idOf(index));
        if (entry.hasChildren()) {
            next = setItems(*entry.children, index, next);
        }
    }
    return next;
}

DBusMenuModel::Item& DBusMenuModel::itemAt(std::size_t index)
{
    return index < m_items.size() ? m_items[index] : m_items.emplace_back();
}

void DBusMenuModel::setItem(Item& item, const MenuEntry& entry)
{
    item.children.clear();
    item.entryId = entry.id;
    item.separator = entry.isSeparator();
    item.label.reset();
    item.keepsAccessibleDesc = false;
    if (item.separator) {
        item.text.clear();
        item.action.clear();
        item.enabled = true;
    } else {
        item.text = entry.text;
        item.action = entry.actionOrEmpty();
        item.enabled = entry.enabled;
    }
}

const QString& DBusMenuModel::labelOf(const Item& item) const
{
    if (!item.label) {
        item.label = labelFor(item.text);
    }
    return *item.label;
}

MenuItemPropertiesList DBusMenuModel::update(const TrayState& state)
{
    MenuItemPropertiesList changed;
    std::size_t index = 0;
    state.forEachEntry([this, &index, &changed](const MenuEntry& entry) {
        if (++index >= m_items.size()) {
            return false;
        }
        Item& item = m_items[index];
        if (item.separator) {
            return true;
        }
        QVariantMap properties;
        if (entry.text != item.text) {
            // The label shown so far is made (if it is not yet) before its text goes.
            if (QString label = labelFor(entry.text); label != labelOf(item)) {
                const std::optional<QString> before = accessibleDescOf(*item.label, item.keepsAccessibleDesc);
                std::optional<QString> desc = accessibleDescOf(label, before.has_value());
                item.label = std::move(label);
                item.keepsAccessibleDesc = desc.has_value();
                properties.insert(labelKey, *item.label);
                if (desc != before) {
                    properties.insert(accessibleDescKey, *desc);
                }
            }
            item.text = entry.text;
        }
        if (entry.enabled != item.enabled) {
            item.enabled = entry.enabled;
            properties.insert(enabledKey, item.enabled);
        }
        if (const std::string& action = entry.actionOrEmpty(); action != item.action) {
            item.action = action;
        }
        if (!properties.isEmpty()) {
            changed.append({idOf(index), std::move(properties)});
        }
        return true;
    });
    if (!changed.isEmpty()) {
        ++m_revision;
    }
    return changed;
}

bool DBusMenuModel::enabledRow(std::string_view id, std::string& action) const
{
    const std::string wanted = canonicalForm(id);
    for (std::size_t index = 1; index < m_items.size(); ++index) {
        const Item& item = m_items[index];
        if (!item.separator && canonicalForm(item.entryId) == wanted) {
            if (!item.enabled) {
                return false;
            }
            action = item.action;
            return true;
        }
    }
    return false;
}

std::optional<MenuCallFailure> DBusMenuModel::layout(int parentId, int depth, const QStringList& names,
                                                     MenuLayoutItem& layout) const
{
    if (depth < -1 || depth > maxRecursionDepth) {
        return MenuCallFailure{
            invalidArgs,
            QStringLiteral("the recursion depth must be -1 or from 0 to %1, not %2").arg(maxRecursionDepth).arg(depth)};
    }
    const std::optional<std::size_t> index = indexOf(parentId);
    if (!index) {
        return unknownId(parentId);
    }
    if (std::optional<MenuCallFailure> failure = checkNames(names)) {
        return failure;
    }
    // Items are at most two levels below the root, so -1 ("all") and any larger depth are the same.
    layout = layoutItem(*index, depth < 0 ? maxRecursionDepth : depth, names);
    return std::nullopt;
}

std::optional<MenuCallFailure> DBusMenuModel::groupProperties(const MenuIdList& ids, const QStringList& names,
                                                              MenuItemPropertiesList& properties) const
{
    if (std::optional<MenuCallFailure> failure = checkNames(names)) {
        return failure;
    }
    std::vector<std::size_t> indexes;
    if (ids.isEmpty()) {
        // No ids: every item.
        for (std::size_t index = 0; index < m_items.size(); ++index) {
            indexes.push_back(index);
        }
    }
    // Unknown ids are left out, as a panel may still ask for items of a layout it has not fetched again;
    // only a call naming no item at all is refused.
    for (const int id : ids) {
        const std::optional<std::size_t> index = indexOf(id);
        // Each item once, however often it is asked for.
        if (index && std::find(indexes.begin(), indexes.end(), *index) == indexes.end()) {
            indexes.push_back(*index);
        }
    }
    if (indexes.empty() && !ids.isEmpty()) {
        return unknownId(ids.front());
    }
    properties.clear();
    for (const std::size_t index : indexes) {
        properties.append({idOf(index), this->properties(index, names)});
    }
    return std::nullopt;
}

std::optional<MenuCallFailure> DBusMenuModel::property(int id, const QString& name, QVariant& value) const
{
    const std::optional<std::size_t> index = indexOf(id);
    if (!index) {
        return unknownId(id);
    }
    const QVariant* fallback = defaultOf(name);
    if (!fallback) {
        return MenuCallFailure{unknownProperty, QStringLiteral("no menu item property is named \"%1\"").arg(name)};
    }
    const QVariantMap carried = properties(*index, {});
    value = carried.value(name, *fallback);
    return std::nullopt;
}

std::optional<MenuCallFailure> DBusMenuModel::event(int id, const QString& eventId,
                                                    std::vector<std::string>& picked) const
{
    const std::optional<std::size_t> index = indexOf(id);
    if (!index) {
        return unknownId(id);
    }
    if (std::optional<MenuCallFailure> failure = checkEventId(eventId)) {
        return failure;
    }
    pick(*index, eventId, picked);
    return std::nullopt;
}

std::optional<MenuCallFailure> DBusMenuModel::eventGroup(const MenuEventList& events, MenuIdList& idErrors,
                                                         std::vector<std::string>& picked) const
{
    for (const MenuEvent& event : events) {
        if (std::optional<MenuCallFailure> failure = checkEventId(event.eventId)) {
            return failure;
        }
    }
    idErrors.clear();
    std::vector<std::size_t> known;
    for (const MenuEvent& event : events) {
        if (const std::optional<std::size_t> index = indexOf(event.id)) {
            known.push_back(*index);
        } else {
            idErrors.append(event.id);
        }
    }
    if (!events.isEmpty() && known.empty()) {
        return MenuCallFailure{invalidArgs, QStringLiteral("no event names a menu item that exists")};
    }
    std::size_t next = 0;
    for (const MenuEvent& event : events) {
        if (indexOf(event.id)) {
            pick(known[next++], event.eventId, picked);
        }
    }
    return std::nullopt;
}

std::optional<MenuCallFailure> DBusMenuModel::aboutToShow(int id, bool& needUpdate) const
{
    if (!indexOf(id)) {
        return unknownId(id);
    }
    // The layout a host can fetch is always the current one.
    needUpdate = false;
    return std::nullopt;
}

std::optional<MenuCallFailure> DBusMenuModel::aboutToShowGroup(const MenuIdList& ids, MenuIdList& updatesNeeded,
                                                               MenuIdList& idErrors) const
{
    updatesNeeded.clear();
    idErrors.clear();
    for (const int id : ids) {
        if (!indexOf(id)) {
            idErrors.append(id);
        }
    }
    if (!ids.isEmpty() && idErrors.size() == ids.size()) {
        return MenuCallFailure{invalidArgs, QStringLiteral("no id names a menu item that exists")};
    }
    return std::nullopt;
}

int DBusMenuModel::idOf(std::size_t index) const
{
    return index == 0 ? 0 : m_idBase + static_cast<int>(index);
}

std::optional<std::size_t> DBusMenuModel::indexOf(int id) const
{
    if (id == 0) {
        return 0;
    }
    if (id <= m_idBase || static_cast<std::size_t>(id - m_idBase) >= m_items.size()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(id - m_idBase);
}

QVariantMap DBusMenuModel::properties(std::size_t index, const QStringList& names) const
{
    const Item& item = m_items[index];
    QVariantMap properties;
    const auto add = [&properties, &names](const QString& key, const QVariant& value) {
        if (names.isEmpty() || names.contains(key)) {
            properties.insert(key, value);
        }
    };
    if (index != 0 && item.separator) {
        add(typeKey, QStringLiteral("separator"));
        return properties;
    }
    if (index != 0) {
        const QString& label = labelOf(item);
        add(labelKey, label);
        add(enabledKey, item.enabled);
        if (std::optional<QString> desc = accessibleDescOf(label, item.keepsAccessibleDesc)) {
            add(accessibleDescKey, *desc);
        }
    }
    if (!item.children.empty()) {
        add(childrenDisplayKey, QStringLiteral("submenu"));
    }
    return properties;
}

MenuLayoutItem DBusMenuModel::layoutItem(std::size_t index, int depth, const QStringList& names) const
{
    MenuLayoutItem layout;
    layout.id = idOf(index);
    layout.properties = properties(index, names);
    if (depth > 0) {
        for (const int child : m_items[index].children) {
            layout.children.append(layoutItem(*indexOf(child), depth - 1, names));
        }
    }
    return layout;
}

void DBusMenuModel::pick(std::size_t index, const QString& eventId, std::vector<std::string>& picked) const
{
    const Item& item = m_items[index];
    // Only a click on an enabled row with an action reports; the root, separators, submenu parents,
    // disabled rows and other events do nothing.
    if (index != 0 && !item.separator && item.enabled && !item.action.empty() && eventId == QLatin1String("clicked")) {
        picked.push_back(item.action);
    }
}

} // namespace corvane
