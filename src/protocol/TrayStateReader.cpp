#include "protocol/TrayStateReader.h"

#include <string_view>

namespace corvane {
namespace {

// What the last value of each member made of its object. A required member counts only while its last
// value has the exact type; an optional one spoils its object while its last value has a wrong one.
enum StateBit : unsigned {
    HaveStatus = 1U << 0U,
    HaveIconStatus = 1U << 1U,
    HaveTooltip = 1U << 2U,
    HaveMenu = 1U << 3U,
    StateComplete = HaveStatus | HaveIconStatus | HaveTooltip | HaveMenu,
};

enum RowBit : unsigned {
    HaveId = 1U << 0U,
    HaveText = 1U << 1U,
    HaveEnabled = 1U << 2U,
    BadAction = 1U << 3U,
    BadSeparator = 1U << 4U,
    BadChildren = 1U << 5U,
    RowComplete = HaveId | HaveText | HaveEnabled,
    RowBad = BadAction | BadSeparator | BadChildren,
};

void setBit(unsigned& bits, unsigned bit, bool on)
{
    bits = on ? (bits | bit) : (bits & ~bit);
}

bool rowDecodes(unsigned bits)
{
    return (bits & RowComplete) == RowComplete && (bits & RowBad) == 0;
}

} // namespace

std::optional<TrayState> TrayStateReader::takeState()
{
    if (!m_isObject || (m_stateBits & StateComplete) != StateComplete) {
        return std::nullopt;
    }
    return std::move(m_state);
}

bool TrayStateReader::null()
{
    value(Kind::Null);
    return true;
}

bool TrayStateReader::boolean(bool value)
{
    this->value(Kind::Boolean, nullptr, value);
    return true;
}

bool TrayStateReader::number_integer(json::number_integer_t /*value*/)
{
    value(Kind::Number);
    return true;
}

bool TrayStateReader::number_unsigned(json::number_unsigned_t /*value*/)
{
    value(Kind::Number);
    return true;
}

bool TrayStateReader::number_float(json::number_float_t /*value*/, const json::string_t& /*text*/)
{
    value(Kind::Number);
    return true;
}

bool TrayStateReader::string(json::string_t& value)
{
    const std::string_view text = value;
    this->value(Kind::String, &text);
    return true;
}

bool TrayStateReader::binary(json::binary_t& /*value*/)
{
    // JSON text has no binary values; were there one, it would be of no type a member takes.
    value(Kind::Number);
    return true;
}

bool TrayStateReader::start_object(std::size_t /*elements*/)
{
    value(Kind::Object);
    return true;
}

bool TrayStateReader::key(json::string_t& name)
{
    if (m_skipDepth > 0) {
        return true;
    }
    Frame& frame = m_frames.back();
    Member member = Member::Other;
    if (frame.type == Frame::Type::State) {
        if (name == "status") {
            member = Member::Status;
        } else if (name == "iconStatus") {
            member = Member::IconStatus;
        } else if (name == "tooltip") {
            member = Member::Tooltip;
        } else if (name == "menu") {
            member = Member::Menu;
        } else if (name == "exerciseMenu") {
            member = Member::ExerciseMenu;
        }
    } else if (name == "id") {
        member = Member::Id;
    } else if (name == "text") {
        member = Member::Text;
    } else if (name == "enabled") {
        member = Member::Enabled;
    } else if (name == "action") {
        member = Member::Action;
    } else if (name == "separator") {
        member = Member::Separator;
    } else if (name == "children") {
        member = Member::Children;
    }
    frame.member = member;
    return true;
}

bool TrayStateReader::end_object()
{
    close();
    return true;
}

bool TrayStateReader::start_array(std::size_t /*elements*/)
{
    value(Kind::Array);
    return true;
}

bool TrayStateReader::end_array()
{
    close();
    return true;
}

bool TrayStateReader::parse_error(std::size_t /*position*/, const std::string& /*lastToken*/,
                                  const nlohmann::detail::exception& /*error*/)
{
    return false;
}

void TrayStateReader::value(Kind kind, const std::string_view* text, bool flag)
{
    const bool container = kind == Kind::Object || kind == Kind::Array;
    if (m_skipDepth > 0) {
        m_skipDepth += container ? 1 : 0;
        return;
    }
    if (m_frames.empty()) {
        // The whole text: only an object can be a state; anything else is read to its end and refused.
        if (m_started) {
            return;
        }
        m_started = true;
        if (kind == Kind::Object) {
            m_isObject = true;
            m_frames.push_back({.type = Frame::Type::State});
        } else if (container) {
            m_skipDepth = 1;
        }
        return;
    }
    Frame& frame = m_frames.back();
    switch (frame.type) {
    case Frame::Type::State:
        stateMember(frame, kind, text);
        break;
    case Frame::Type::Rows:
        rowsElement(frame, kind);
        break;
    case Frame::Type::Row:
        rowMember(frame, kind, text, flag);
        break;
    }
}

void TrayStateReader::stateMember(Frame& frame, Kind kind, const std::string_view* text)
{
    const bool isString = kind == Kind::String;
    switch (frame.member) {
    case Member::Status:
        setBit(m_stateBits, HaveStatus, isString);
        if (isString) {
            m_state.status = *text;
        }
        break;
    case Member::IconStatus:
        setBit(m_stateBits, HaveIconStatus, isString);
        if (isString) {
            m_state.iconStatus = *text;
        }
        break;
    case Member::Tooltip:
        setBit(m_stateBits, HaveTooltip, isString);
        if (isString) {
            m_state.tooltip = *text;
        }
        break;
    case Member::Menu:
        // Counts once the array is read through and every element decodes (close()).
        setBit(m_stateBits, HaveMenu, false);
        if (kind == Kind::Array) {
            openRows(m_state.menu);
            return;
        }
        break;
    case Member::ExerciseMenu:
        if (isString) {
            m_exerciseMenu = *text;
        } else {
            m_exerciseMenu.reset();
        }
        break;
    default:
        break;
    }
    if (kind == Kind::Object || kind == Kind::Array) {
        m_skipDepth = 1;
    }
}

void TrayStateReader::rowsElement(Frame& frame, Kind kind)
{
    if (kind != Kind::Object) {
        frame.valid = false;
        if (kind == Kind::Array) {
            m_skipDepth = 1;
        }
        return;
    }
    MenuEntry& entry = frame.rows->emplace_back();
    m_frames.push_back({.type = Frame::Type::Row, .entry = &entry});
}

void TrayStateReader::rowMember(Frame& frame, Kind kind, const std::string_view* text, bool flag)
{
    MenuEntry& entry = *frame.entry;
    const bool isString = kind == Kind::String;
    switch (frame.member) {
    case Member::Id:
        setBit(frame.bits, HaveId, isString);
        if (isString) {
            entry.id = *text;
        }
        break;
    case Member::Text:
        setBit(frame.bits, HaveText, isString);
        if (isString) {
            entry.text = *text;
        }
        break;
    case Member::Enabled:
        setBit(frame.bits, HaveEnabled, kind == Kind::Boolean);
        if (kind == Kind::Boolean) {
            entry.enabled = flag;
        }
        break;
    case Member::Action:
        setBit(frame.bits, BadAction, !isString && kind != Kind::Null);
        if (isString) {
            entry.action = *text;
        } else {
            entry.action.reset();
        }
        break;
    case Member::Separator:
        setBit(frame.bits, BadSeparator, kind != Kind::Boolean && kind != Kind::Null);
        if (kind == Kind::Boolean) {
            entry.separator = flag;
        } else {
            entry.separator.reset();
        }
        break;
    case Member::Children:
        // Counts as good once the array is read through and every element decodes (close()).
        setBit(frame.bits, BadChildren, kind != Kind::Null);
        if (kind == Kind::Array) {
            openRows(entry.children.emplace());
            return;
        }
        entry.children.reset();
        break;
    default:
        break;
    }
    if (kind == Kind::Object || kind == Kind::Array) {
        m_skipDepth = 1;
    }
}

void TrayStateReader::openRows(std::vector<MenuEntry>& rows)
{
    // A repeated key replaces what an earlier one gave. Room for a usual menu at once rather than growing
    // the rows one reallocation (and move of every row) at a time.
    constexpr std::size_t usualRows = 8;
    rows.clear();
    rows.reserve(usualRows);
    m_frames.push_back({.type = Frame::Type::Rows, .rows = &rows});
}

void TrayStateReader::close()
{
    if (m_skipDepth > 0) {
        --m_skipDepth;
        return;
    }
    const Frame closed = m_frames.back();
    m_frames.pop_back();
    if (m_frames.empty()) {
        return;
    }
    Frame& parent = m_frames.back();
    switch (closed.type) {
    case Frame::Type::State:
        break;
    case Frame::Type::Rows:
        if (parent.type == Frame::Type::State) {
            setBit(m_stateBits, HaveMenu, closed.valid);
        } else {
            setBit(parent.bits, BadChildren, !closed.valid);
        }
        break;
    case Frame::Type::Row:
        if (!rowDecodes(closed.bits)) {
            parent.valid = false;
        }
        break;
    }
}

} // namespace corvane
