// A quick reading of the JSON texts the controller sends: objects, arrays, strings (valid UTF-8, with
// the one-character escapes), true, false, null and integers of up to 18 digits, around JSON whitespace.
// It makes the calls nlohmann's SAX parser would make for such a text, without that parser's per-byte
// bookkeeping, which is most of the cost of a line.
//
// It answers true only for a whole text it has read and found to be JSON. Anything else (a \u escape,
// another number, a byte-order mark, or any text that is not JSON) makes it answer false at once, with
// some calls made already: the caller then reads the text again with nlohmann's parser on a fresh
// handler, and that parser alone decides what is refused. Pure; safe on any thread.
#pragma once

#include <string_view>

namespace corvane {

class TrayStateReader;

bool readPlainJson(std::string_view text, TrayStateReader& reader);

} // namespace corvane
