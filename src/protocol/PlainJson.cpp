#include "protocol/PlainJson.h"

#include "protocol/TrayStateReader.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace corvane {
namespace {

class PlainReader final {
public:
    PlainReader(std::string_view text, TrayStateReader& reader) : m_text(text), m_reader(reader) {}

    bool read();

private:
    enum class Step : std::uint8_t { Failed, Done, Opened };

    bool atEnd() const { return m_at >= m_text.size(); }
    unsigned char peek() const { return static_cast<unsigned char>(m_text[m_at]); }
    void skipWhitespace();
    Step value();
    bool string(std::string_view& decoded);
    bool escape();
    bool multiByteCharacter();
    bool literal(std::string_view word);
    bool integer();

    std::string_view m_text;
    TrayStateReader& m_reader;
    std::size_t m_at = 0;
    // The open containers, innermost last: '{' or '['.
    std::string m_open;
    // A string with escapes, decoded.
    std::string m_decoded;
};

constexpr unsigned char bomLead = 0xEF;

unsigned char closerOf(bool object)
{
    return object ? '}' : ']';
}

bool inRange(unsigned char byte, unsigned char low, unsigned char high)
{
    return byte >= low && byte <= high;
}

void PlainReader::skipWhitespace()
{
    while (!atEnd() && (peek() == ' ' || peek() == '\n' || peek() == '\r' || peek() == '\t')) {
        ++m_at;
    }
}

bool PlainReader::read()
{
    // nlohmann's parser skips a byte-order mark; that is left to it.
    if (!atEnd() && peek() == bomLead) {
        return false;
    }
    skipWhitespace();
    // Iterative, so that no nesting depth can exhaust the stack.
    for (;;) {
        switch (value()) {
        case Step::Failed:
            return false;
        case Step::Opened:
            skipWhitespace();
            continue;
        case Step::Done:
            break;
        }
        // After a whole value: the ends of the containers it completes, then a comma or the end of the text.
        for (;;) {
            skipWhitespace();
            if (m_open.empty()) {
                return atEnd();
            }
            if (atEnd()) {
                return false;
            }
            const bool inObject = m_open.back() == '{';
            const unsigned char next = peek();
            ++m_at;
            if (next == closerOf(inObject)) {
                m_open.pop_back();
                inObject ? m_reader.end_object() : m_reader.end_array();
                continue;
            }
            if (next != ',') {
                return false;
            }
            skipWhitespace();
            break;
        }
    }
}

// One value, preceded in an object by its member name and colon. An object or array is only opened
// (Opened: its first element comes next), unless it is empty.
PlainReader::Step PlainReader::value()
{
    if (!m_open.empty() && m_open.back() == '{') {
        std::string_view name;
        if (atEnd() || peek() != '"' || !string(name)) {
            return Step::Failed;
        }
        m_reader.member(name);
        skipWhitespace();
        if (atEnd() || peek() != ':') {
            return Step::Failed;
        }
        ++m_at;
        skipWhitespace();
    }
    if (atEnd()) {
        return Step::Failed;
    }
    bool read = false;
    switch (peek()) {
    case '{':
    case '[': {
        const bool object = peek() == '{';
        ++m_at;
        object ? m_reader.start_object(static_cast<std::size_t>(-1))
               : m_reader.start_array(static_cast<std::size_t>(-1));
        skipWhitespace();
        if (!atEnd() && peek() == closerOf(object)) {
            ++m_at;
            object ? m_reader.end_object() : m_reader.end_array();
            return Step::Done;
        }
        m_open.push_back(object ? '{' : '[');
        return Step::Opened;
    }
    case '"': {
        std::string_view text;
        read = string(text) && m_reader.text(text);
        break;
    }
    case 't':
        read = literal("true") && m_reader.boolean(true);
        break;
    case 'f':
        read = literal("false") && m_reader.boolean(false);
        break;
    case 'n':
        read = literal("null") && m_reader.null();
        break;
    default:
        read = integer();
        break;
    }
    return read ? Step::Done : Step::Failed;
}

// A string at the quote; `decoded` views the text itself when there is no escape, m_decoded otherwise.
bool PlainReader::string(std::string_view& decoded)
{
    const std::size_t start = ++m_at;
    bool escaped = false;
    for (;;) {
        // The run of plain ASCII characters up to the next byte that needs a look.
        const std::size_t from = m_at;
        while (!atEnd() && peek() >= 0x20 && peek() < 0x80 && peek() != '"' && peek() != '\\') {
            ++m_at;
        }
        if (escaped) {
            m_decoded.append(m_text.substr(from, m_at - from));
        }
        if (atEnd()) {
            return false;
        }
        const unsigned char byte = peek();
        if (byte == '"') {
            break;
        }
        if (byte < 0x20) {
            return false;
        }
        if (byte == '\\') {
            if (!escaped) {
                m_decoded.assign(m_text.substr(start, m_at - start));
                escaped = true;
            }
            if (!escape()) {
                return false;
            }
            continue;
        }
        const std::size_t lead = m_at;
        if (!multiByteCharacter()) {
            return false;
        }
        if (escaped) {
            m_decoded.append(m_text.substr(lead, m_at - lead));
        }
    }
    decoded = escaped ? std::string_view(m_decoded) : m_text.substr(start, m_at - start);
    ++m_at;
    return true;
}

// A one-character escape at the backslash; \u escapes are left to nlohmann's parser.
bool PlainReader::escape()
{
    if (m_at + 1 >= m_text.size()) {
        return false;
    }
    char decoded = 0;
    switch (m_text[m_at + 1]) {
    case '"':
        decoded = '"';
        break;
    case '\\':
        decoded = '\\';
        break;
    case '/':
        decoded = '/';
        break;
    case 'b':
        decoded = '\b';
        break;
    case 'f':
        decoded = '\f';
        break;
    case 'n':
        decoded = '\n';
        break;
    case 'r':
        decoded = '\r';
        break;
    case 't':
        decoded = '\t';
        break;
    default:
        return false;
    }
    m_decoded.push_back(decoded);
    m_at += 2;
    return true;
}

// A well-formed UTF-8 sequence of two to four bytes (RFC 3629: no overlong forms, no surrogates, nothing
// above U+10FFFF) at its lead byte.
bool PlainReader::multiByteCharacter()
{
    const unsigned char lead = peek();
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (inRange(lead, 0xC2, 0xDF)) {
        length = 2;
    } else if (inRange(lead, 0xE0, 0xEF)) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (inRange(lead, 0xF0, 0xF4)) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return false;
    }
    if (m_text.size() - m_at < length) {
        return false;
    }
    // The second byte has the lead's own range, the others 80..BF.
    for (std::size_t offset = 1; offset < length; ++offset) {
        const auto byte = static_cast<unsigned char>(m_text[m_at + offset]);
        if (!inRange(byte, offset == 1 ? low : 0x80, offset == 1 ? high : 0xBF)) {
            return false;
        }
    }
    m_at += length;
    return true;
}

bool PlainReader::literal(std::string_view word)
{
    if (m_text.substr(m_at, word.size()) != word) {
        return false;
    }
    m_at += word.size();
    return true;
}

// -?(0|[1-9][0-9]*) of at most 18 digits, which no number type overflows; a fraction, an exponent or a
// longer one is left to nlohmann's parser. A digit after a leading 0 is refused by the caller, as no
// comma or bracket.
bool PlainReader::integer()
{
    constexpr std::size_t maxDigits = 18;
    const bool negative = peek() == '-';
    m_at += negative ? 1 : 0;
    const std::size_t start = m_at;
    while (!atEnd() && peek() >= '0' && peek() <= '9' && m_at - start <= maxDigits) {
        ++m_at;
    }
    const std::size_t digits = m_at - start;
    if (digits == 0 || digits > maxDigits || (digits > 1 && m_text[start] == '0')) {
        return false;
    }
    if (!atEnd() && (peek() == '.' || peek() == 'e' || peek() == 'E')) {
        return false;
    }
    negative ? m_reader.number_integer(0) : m_reader.number_unsigned(0);
    return true;
}

} // namespace

bool readPlainJson(std::string_view text, TrayStateReader& reader)
{
    return PlainReader(text, reader).read();
}

} // namespace corvane
