#include "protocol/Event.h"

#include <unicode/utf8.h>

namespace corvane {
namespace {

constexpr std::string_view replacementCharacter = "\xEF\xBF\xBD";

void appendEscapedAscii(std::string& out, char byte)
{
    constexpr std::string_view hexDigits = "0123456789abcdef";
    switch (byte) {
    case '"':
        out += "\\\"";
        return;
    case '\\':
        out += "\\\\";
        return;
    case '/':
        out += "\\/";
        return;
    case '\b':
        out += "\\b";
        return;
    case '\f':
        out += "\\f";
        return;
    case '\n':
        out += "\\n";
        return;
    case '\r':
        out += "\\r";
        return;
    case '\t':
        out += "\\t";
        return;
    default:
        break;
    }
    const auto code = static_cast<unsigned char>(byte);
    if (code < 0x20) {
        out += "\\u00";
        out += hexDigits[code >> 4];
        out += hexDigits[code & 0xF];
        return;
    }
    out += byte;
}

void appendValue(std::string& out, const EventValue& value)
{
    if (std::holds_alternative<std::nullptr_t>(value)) {
        out += "null";
    } else if (const bool* flag = std::get_if<bool>(&value)) {
        out += *flag ? "true" : "false";
    } else {
        appendJsonString(out, std::get<std::string>(value));
    }
}

void appendMember(std::string& out, std::string_view key, const EventValue& value)
{
    if (out.size() > 1) {
        out += ',';
    }
    appendJsonString(out, key);
    out += ':';
    appendValue(out, value);
}

} // namespace

void appendJsonString(std::string& out, std::string_view text)
{
    out += '"';
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    int32_t offset = 0;
    while (offset < length) {
        if (bytes[offset] < 0x80) {
            appendEscapedAscii(out, static_cast<char>(bytes[offset]));
            ++offset;
            continue;
        }
        const int32_t start = offset;
        UChar32 codePoint = 0;
        U8_NEXT(bytes, offset, length, codePoint);
        if (codePoint < 0) {
            out += replacementCharacter;
        } else {
            out.append(text.data() + start, static_cast<std::size_t>(offset - start));
        }
    }
    out += '"';
}

namespace {

// At least the size of the encoded line: a byte of a string becomes at most six ("\u001f"), and a member
// adds at most six around its key and value. Reserving it means the line is never reallocated, so no
// freed copy of a part of it (which may hold the Access Key) is left behind; the writer wipes the line.
std::size_t encodedSizeBound(std::string_view name, const EventPayload& payload)
{
    constexpr std::size_t perByte = 6;
    constexpr std::size_t perMember = 6;
    std::size_t bound = 3 + perMember + perByte * (std::string_view("event").size() + name.size());
    for (const auto& [key, value] : payload) {
        const auto* text = std::get_if<std::string>(&value);
        bound += perMember + perByte * (key.size() + (text ? text->size() : 0)) + std::string_view("false").size();
    }
    return bound;
}

} // namespace

std::string encodeEventLine(std::string_view name, const EventPayload& payload)
{
    constexpr std::string_view eventKey = "event";
    std::string line;
    line.reserve(encodedSizeBound(name, payload));
    line += '{';
    bool nameWritten = false;
    for (const auto& [key, value] : payload) {
        if (!nameWritten && key >= eventKey) {
            appendMember(line, eventKey, std::string(name));
            nameWritten = true;
        }
        if (key != eventKey) {
            appendMember(line, key, value);
        }
    }
    if (!nameWritten) {
        appendMember(line, eventKey, std::string(name));
    }
    line += "}\n";
    return line;
}

} // namespace corvane
