#include "protocol/TrayStateDecoder.h"

#include "protocol/TrayStateReader.h"

#include <nlohmann/json.hpp>

namespace corvane {

std::optional<TrayState> decodeTrayState(std::string_view text)
{
    return decodeTrayLine(text).state;
}

TrayLine decodeTrayLine(std::string_view text)
{
    TrayLine line;
    // As in parseJson: the parser would take a NUL byte for the end of the input.
    if (text.find('\0') != std::string_view::npos) {
        return line;
    }
    TrayStateReader reader;
    if (!nlohmann::json::sax_parse(text.begin(), text.end(), &reader, nlohmann::json::input_format_t::json,
                                   /*strict=*/true, /*ignore_comments=*/false)) {
        return line;
    }
    line.state = reader.takeState();
    line.exerciseMenu = reader.takeExerciseMenu();
    return line;
}

} // namespace corvane
