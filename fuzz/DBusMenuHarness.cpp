// The menu export under a program of calls. Each operation is one byte (its low bits pick the call)
// followed by its operands, read from the input as needed; a short input ends the program. Invariants:
// a refused call reports nothing picked; the layout lists every row once, in the order of the state's
// entries, nested as the state nests them, no deeper than asked and with only the properties asked
// for; every label reads back, with GTK's mnemonic rule, as the row's cut text; a click reports exactly
// the action of an enabled row that has one; the revision grows with every change and only then.
// Plain C++ and Qt Core/DBus types.
#include "DBusMenuHarness.h"

#include "protocol/TrayState.h"
#include "protocol/UnicodeText.h"
#include "tray/DBusMenuModel.h"

#include <array>
#include <climits>
#include <cstdint>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <vector>

namespace corvane::fuzz {
namespace {

// The input, read front to back; reads past the end give zeros.
class Reader final {
public:
    explicit Reader(std::string_view input) : m_input(input) {}

    bool done() const { return m_input.empty(); }

    std::uint8_t byte()
    {
        if (m_input.empty()) {
            return 0;
        }
        const auto value = static_cast<std::uint8_t>(m_input.front());
        m_input.remove_prefix(1);
        return value;
    }

    std::int32_t int32()
    {
        std::uint32_t value = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            value |= static_cast<std::uint32_t>(byte()) << shift;
        }
        return static_cast<std::int32_t>(value);
    }

    // Up to 15 bytes taken as they are (possibly not UTF-8).
    std::string bytes()
    {
        const std::size_t length = std::min<std::size_t>(byte() & 15, m_input.size());
        std::string text(m_input.substr(0, length));
        m_input.remove_prefix(length);
        return text;
    }

private:
    std::string_view m_input;
};

const std::array<const char*, 12> rowTexts = {"Pause",
                                              "Pause & resume _now_",
                                              "a_b__c_",
                                              "tab\there",
                                              "",
                                              "暂停同步",
                                              "e\xCC\x81\xCC\x81",
                                              "&&",
                                              "_",
                                              "<b>x</b>",
                                              "0123456789012345678901234567890123456789012345678901234567890123456789",
                                              "x\ny"};
const std::array<const char*, 12> propertyNames = {
    "label",       "enabled", "type", "visible", "children-display", "shortcut", "icon-data", "toggle-state",
    "x-kde-title", "bogus",   "",     "LABEL"};
const std::array<const char*, 8> eventNames = {"clicked",  "hovered", "opened", "closed",
                                               "x-vendor", "click",   "",       "Clicked"};

// A valid text, so that the cut and canonical forms are defined: the generated texts are UTF-8.
std::string text(Reader& reader)
{
    return rowTexts[reader.byte() % rowTexts.size()];
}

MenuEntry entry(Reader& reader, int& serial, bool child)
{
    const std::uint8_t shape = reader.byte();
    MenuEntry entry;
    entry.id = "e" + std::to_string(serial++);
    entry.text = text(reader);
    entry.enabled = (shape & 1) != 0;
    if ((shape & 2) != 0) {
        entry.separator = true;
    } else if (!child && (shape & 4) != 0) {
        entry.children.emplace();
        for (int count = 1 + (shape >> 5) % 4; count > 0; --count) {
            entry.children->push_back(fuzz::entry(reader, serial, true));
        }
        return entry;
    }
    if ((shape & 8) != 0) {
        entry.action = (shape & 16) != 0 ? std::string() : "act-" + entry.id;
    }
    return entry;
}

TrayState newState(Reader& reader)
{
    TrayState state;
    int serial = 0;
    for (int count = 1 + reader.byte() % 8; count > 0; --count) {
        state.menu.push_back(entry(reader, serial, false));
    }
    return state;
}

// The same layout with other texts, enabled flags and actions.
TrayState changedState(const TrayState& shown, Reader& reader)
{
    TrayState state = shown;
    const auto change = [&reader](MenuEntry& entry) {
        const std::uint8_t what = reader.byte();
        if ((what & 1) != 0) {
            entry.text = text(reader);
        }
        if ((what & 2) != 0) {
            entry.enabled = !entry.enabled;
        }
        if ((what & 4) != 0 && !entry.hasChildren() && !entry.isSeparator()) {
            entry.action = (what & 8) != 0 ? std::nullopt : std::optional<std::string>("changed");
        }
    };
    for (MenuEntry& row : state.menu) {
        change(row);
        if (row.children) {
            for (MenuEntry& child : *row.children) {
                change(child);
            }
        }
    }
    return state;
}

QStringList names(Reader& reader)
{
    QStringList list;
    for (int count = reader.byte() % 4; count > 0; --count) {
        const std::uint8_t pick = reader.byte();
        list.append(pick < 240 ? QString::fromUtf8(propertyNames[pick % propertyNames.size()])
                               : QString::fromUtf8(reader.bytes()));
    }
    return list;
}

QString eventName(Reader& reader)
{
    const std::uint8_t pick = reader.byte();
    return pick < 240 ? QString::fromUtf8(eventNames[pick % eventNames.size()]) : QString::fromUtf8(reader.bytes());
}

// What a GTK host shows for a label: "__" is "_", a lone "_" marks the next character.
std::string shown(const QString& label)
{
    QString out;
    for (qsizetype i = 0; i < label.size(); ++i) {
        if (label[i] == QLatin1Char('_') && i + 1 < label.size()) {
            ++i;
        }
        out += label[i];
    }
    return out.toStdString();
}

class Session final {
public:
    Session()
    {
        // The model starts with this row.
        MenuEntry starting;
        starting.id = "status";
        starting.text = "正在启动…";
        starting.action = "status";
        m_state.menu.push_back(starting);
    }

    std::string run(Reader& reader)
    {
        if (std::string broken = checkLayout(); !broken.empty()) {
            return broken;
        }
        while (!reader.done()) {
            if (std::string broken = step(reader); !broken.empty()) {
                return broken;
            }
        }
        return {};
    }

private:
    std::string step(Reader& reader)
    {
        switch (reader.byte() % 9) {
        case 0:
            return rebuild(newState(reader));
        case 1:
            return update(changedState(m_state, reader));
        case 2:
            return layout(reader);
        case 3:
            return groupProperties(reader);
        case 4: {
            const int target = id(reader);
            QVariant value;
            const auto failure = m_model.property(target, names(reader).value(0), value);
            return !failure && !known(target) ? "GetProperty accepted an unknown id" : refused(failure, {});
        }
        case 5:
            return event(reader);
        case 6:
            return eventGroup(reader);
        case 7: {
            const int target = id(reader);
            bool needUpdate = true;
            const auto failure = m_model.aboutToShow(target, needUpdate);
            if (failure) {
                return known(target) ? "AboutToShow refused a known id" : std::string();
            }
            return !needUpdate && known(target) ? std::string()
                                                : "AboutToShow asked for an update or took an unknown id";
        }
        default: {
            const MenuIdList ids = idList(reader);
            MenuIdList updates;
            MenuIdList errors;
            if (m_model.aboutToShowGroup(ids, updates, errors)) {
                return {};
            }
            if (!updates.isEmpty() || errors != unknownOf(ids) || (!ids.isEmpty() && errors.size() == ids.size())) {
                return "AboutToShowGroup answered updates, wrong id errors, or no known id";
            }
            return {};
        }
        }
    }

    bool known(int target) const { return target == 0 || m_ids.contains(target); }

    MenuIdList unknownOf(const MenuIdList& ids) const
    {
        MenuIdList unknown;
        for (const int target : ids) {
            if (!known(target)) {
                unknown.append(target);
            }
        }
        return unknown;
    }

    std::string rebuild(const TrayState& state)
    {
        const uint before = m_model.revision();
        m_model.rebuild(state);
        m_state = state;
        if (m_model.revision() == before) {
            return "a rebuild kept the revision";
        }
        return checkLayout();
    }

    std::string update(const TrayState& state)
    {
        const uint before = m_model.revision();
        const MenuItemPropertiesList changed = m_model.update(state);
        m_state = state;
        if ((m_model.revision() != before) != !changed.isEmpty()) {
            return "the revision grew without a change, or a change kept it";
        }
        for (const MenuItemProperties& item : changed) {
            for (auto it = item.properties.begin(); it != item.properties.end(); ++it) {
                if (it.key() != QLatin1String("label") && it.key() != QLatin1String("enabled") &&
                    it.key() != QLatin1String("accessible-desc")) {
                    return "an in-place change sent " + it.key().toStdString();
                }
            }
            // The screen readers' text changes only with the label, to the label as shown.
            const QVariant desc = item.properties.value(QStringLiteral("accessible-desc"));
            if (desc.isValid() &&
                (!item.properties.contains(QStringLiteral("label")) ||
                 desc.toString().toStdString() != shown(item.properties.value(QStringLiteral("label")).toString()))) {
                return "an in-place change sent accessible-desc without its label as shown";
            }
        }
        return checkLayout();
    }

    // The whole layout against the state: order, nesting, labels, enabled flags, separators.
    std::string checkLayout()
    {
        MenuLayoutItem root;
        if (m_model.layout(0, -1, {}, root)) {
            return "the whole layout was refused";
        }
        m_ids.clear();
        return checkRows(root.children, m_state.menu, 1);
    }

    std::string checkRows(const QList<MenuLayoutItem>& items, const std::vector<MenuEntry>& entries, int level)
    {
        if (items.size() != static_cast<qsizetype>(entries.size())) {
            return "a layout level has " + std::to_string(items.size()) + " items for " +
                   std::to_string(entries.size()) + " entries";
        }
        for (std::size_t index = 0; index < entries.size(); ++index) {
            const MenuLayoutItem& item = items[static_cast<qsizetype>(index)];
            const MenuEntry& entry = entries[index];
            if (item.id <= 0 || !m_ids.insert(item.id).second) {
                return "an item id is not positive or not unique";
            }
            m_entries[item.id] = entry;
            if (entry.isSeparator()) {
                if (item.properties.value(QStringLiteral("type")).toString() != QLatin1String("separator")) {
                    return "a separator is not typed as one";
                }
                continue;
            }
            std::string expected(firstCharacters(entry.text, 64));
            for (char& character : expected) {
                character = character == '\t' ? ' ' : character;
            }
            if (shown(item.properties.value(QStringLiteral("label")).toString()) != expected) {
                return "a label does not read back as its text: " + expected;
            }
            // GTK hosts name a row after its label with every "_" removed unless it carries this.
            const QVariant desc = item.properties.value(QStringLiteral("accessible-desc"));
            if (desc.isValid() ? desc.toString().toStdString() != expected : expected.find('_') != std::string::npos) {
                return "a row's accessible-desc is missing or differs from its text: " + expected;
            }
            if (item.properties.value(QStringLiteral("enabled")).toBool() != entry.enabled) {
                return "an enabled flag differs from its entry";
            }
            if (level > 1 && !item.children.isEmpty()) {
                return "a child has children";
            }
            const std::vector<MenuEntry> none;
            if (std::string broken = checkRows(item.children, entry.hasChildren() ? *entry.children : none, level + 1);
                !broken.empty()) {
                return broken;
            }
        }
        return {};
    }

    std::string layout(Reader& reader)
    {
        const int parent = id(reader);
        const int depth = static_cast<int>(static_cast<std::int8_t>(reader.byte()));
        const QStringList asked = names(reader);
        MenuLayoutItem layout;
        const uint before = m_model.revision();
        if (m_model.layout(parent, depth, asked, layout)) {
            return m_model.revision() == before ? std::string() : "a refused GetLayout changed the revision";
        }
        if (depth < -1 || depth > DBusMenuModel::maxRecursionDepth || !known(parent)) {
            return "GetLayout accepted the depth " + std::to_string(depth) + " or an unknown id";
        }
        return checkItem(layout, depth, asked);
    }

    std::string checkItem(const MenuLayoutItem& item, int depth, const QStringList& asked)
    {
        if (depth == 0 && !item.children.isEmpty()) {
            return "GetLayout went deeper than asked";
        }
        if (!asked.isEmpty()) {
            for (auto it = item.properties.begin(); it != item.properties.end(); ++it) {
                if (!asked.contains(it.key())) {
                    return "GetLayout sent a property not asked for";
                }
            }
        }
        for (const MenuLayoutItem& child : item.children) {
            if (std::string broken = checkItem(child, depth - 1, asked); !broken.empty()) {
                return broken;
            }
        }
        return {};
    }

    std::string groupProperties(Reader& reader)
    {
        const MenuIdList ids = idList(reader);
        const QStringList asked = names(reader);
        MenuItemPropertiesList properties;
        if (m_model.groupProperties(ids, asked, properties)) {
            return {};
        }
        // Ids of an older layout are left out; only a list naming no item at all is refused.
        if (!ids.isEmpty() && unknownOf(ids).size() == ids.size()) {
            return "GetGroupProperties accepted ids of which none is known";
        }
        std::set<int> answered;
        for (const MenuItemProperties& item : properties) {
            if (!answered.insert(item.id).second || !known(item.id) || (!ids.isEmpty() && !ids.contains(item.id))) {
                return "GetGroupProperties answered an id twice, an unknown one or one not asked for";
            }
        }
        for (const int target : ids) {
            if (known(target) && !answered.contains(target)) {
                return "GetGroupProperties left out a known id";
            }
        }
        return {};
    }

    std::string event(Reader& reader)
    {
        const int target = id(reader);
        const QString name = eventName(reader);
        std::vector<std::string> picked;
        const std::optional<MenuCallFailure> failure = m_model.event(target, name, picked);
        if (failure) {
            return refused(failure, picked);
        }
        if (!known(target)) {
            return "Event accepted an unknown id";
        }
        const std::string expected = expectedPick(target, name);
        if (picked != (expected.empty() ? std::vector<std::string>{} : std::vector<std::string>{expected})) {
            return "a click reported something other than its row's action";
        }
        return {};
    }

    std::string eventGroup(Reader& reader)
    {
        MenuEventList events;
        for (int count = reader.byte() % 5; count > 0; --count) {
            MenuEvent event;
            event.id = id(reader);
            event.eventId = eventName(reader);
            events.append(event);
        }
        MenuIdList errors;
        std::vector<std::string> picked;
        const std::optional<MenuCallFailure> failure = m_model.eventGroup(events, errors, picked);
        if (failure) {
            return refused(failure, picked);
        }
        MenuIdList ids;
        for (const MenuEvent& event : events) {
            ids.append(event.id);
        }
        if (errors != unknownOf(ids) || (!ids.isEmpty() && errors.size() == ids.size())) {
            return "EventGroup listed the wrong id errors, or accepted no known id";
        }
        std::size_t expected = 0;
        for (const MenuEvent& event : events) {
            expected += expectedPick(event.id, event.eventId).empty() ? 0 : 1;
        }
        if (picked.size() != expected) {
            return "EventGroup reported " + std::to_string(picked.size()) + " actions for " + std::to_string(expected) +
                   " clicks";
        }
        return {};
    }

    // A refused call reports nothing.
    static std::string refused(const std::optional<MenuCallFailure>& failure, const std::vector<std::string>& picked)
    {
        if (failure && (!picked.empty() || failure->name.isEmpty())) {
            return "a refused call reported an action or gave no error name";
        }
        return {};
    }

    // The action a valid "clicked" on `target` reports, or empty.
    std::string expectedPick(int target, const QString& name) const
    {
        const auto found = m_entries.find(target);
        if (name != QLatin1String("clicked") || found == m_entries.end() || !m_ids.contains(target)) {
            return {};
        }
        const MenuEntry& entry = found->second;
        return entry.enabled && !entry.isSeparator() ? entry.actionOrEmpty() : std::string();
    }

    // A shown id most of the time, else any 32-bit value.
    int id(Reader& reader)
    {
        const std::uint8_t pick = reader.byte();
        if (pick < 200 && !m_ids.empty()) {
            auto it = m_ids.begin();
            std::advance(it, pick % m_ids.size());
            return *it;
        }
        return pick < 220 ? 0 : reader.int32();
    }

    MenuIdList idList(Reader& reader)
    {
        MenuIdList ids;
        for (int count = reader.byte() % 5; count > 0; --count) {
            ids.append(id(reader));
        }
        return ids;
    }

    DBusMenuModel m_model;
    TrayState m_state;
    std::set<int> m_ids;
    std::map<int, MenuEntry> m_entries;
};

} // namespace

std::string runDBusMenu(std::string_view input)
{
    Reader reader(input);
    Session session;
    return session.run(reader);
}

} // namespace corvane::fuzz
