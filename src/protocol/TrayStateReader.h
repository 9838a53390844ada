// The tray-state decoder: a handler for nlohmann's SAX parser (nlohmann::json::sax_parse), so a line
// becomes a TrayState without a JSON value being built and torn down first. The parser alone decides
// whether the text is JSON, exactly as it does for parseJson; the reader applies the decoding rules
// (exact types, null counts as missing, unknown keys ignored at every level, rows to any depth) to what
// the parser reports, and reads repeated keys as a parsed JSON value does: the last one of a name in an
// object is the one that counts. It also keeps the top-level "exerciseMenu" string of a smoke run's
// exercise. Used through decodeTrayLine (TrayStateDecoder.h).
//
// One reader reads one text. Pure; safe on any thread.
#pragma once

#include "protocol/TrayState.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

class TrayStateReader final {
public:
    using json = nlohmann::json;

    // What was read, once the parser has accepted the whole text: the state when the text is one, and the
    // string the top-level object has under "exerciseMenu", if any.
    std::optional<TrayState> takeState();
    std::optional<std::string> takeExerciseMenu() { return std::move(m_exerciseMenu); }

    // ---- The parser's side: one call for each part of the text, in order ----

    bool null();
    bool boolean(bool value);
    bool number_integer(json::number_integer_t value);
    bool number_unsigned(json::number_unsigned_t value);
    bool number_float(json::number_float_t value, const json::string_t& text);
    bool string(json::string_t& value);
    bool binary(json::binary_t& value);
    bool start_object(std::size_t elements);
    bool key(json::string_t& name);
    bool end_object();
    bool start_array(std::size_t elements);
    bool end_array();
    bool parse_error(std::size_t position, const std::string& lastToken, const nlohmann::detail::exception& error);

private:
    enum class Kind : std::uint8_t { Null, Boolean, Number, String, Object, Array };
    // The member of a state or row object whose value comes next; Other for a name neither knows.
    enum class Member : std::uint8_t {
        Other,
        Status,
        IconStatus,
        Tooltip,
        Menu,
        ExerciseMenu,
        Id,
        Text,
        Enabled,
        Action,
        Separator,
        Children
    };

    // An object or array being read: the state object, an array of rows (the menu or a row's children),
    // or a row object.
    struct Frame {
        enum class Type : std::uint8_t { State, Rows, Row };
        Type type = Type::State;
        Member member = Member::Other;
        // Rows: every element so far is a row that decodes.
        bool valid = true;
        // State, Row: what the last value of each member made of the object (the Have and Bad bits).
        unsigned bits = 0;
        // Rows: where its rows go. Row: the row being filled, the last of its parent's rows (which do not
        // grow while it is open).
        std::vector<MenuEntry>* rows = nullptr;
        MenuEntry* entry = nullptr;
    };

    void value(Kind kind, const std::string_view* text = nullptr, bool flag = false);
    void stateMember(Frame& frame, Kind kind, const std::string_view* text);
    void rowsElement(Frame& frame, Kind kind);
    void rowMember(Frame& frame, Kind kind, const std::string_view* text, bool flag);
    void openRows(std::vector<MenuEntry>& rows);
    void close();

    TrayState m_state;
    std::optional<std::string> m_exerciseMenu;
    std::vector<Frame> m_frames;
    // Open containers inside a value that is ignored (or that decides the outcome without its contents).
    std::size_t m_skipDepth = 0;
    bool m_started = false;
    bool m_isObject = false;
    unsigned m_stateBits = 0;
};

} // namespace corvane
