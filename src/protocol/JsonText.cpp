#include "protocol/JsonText.h"

namespace corvane {

std::optional<nlohmann::json> parseJson(std::string_view text)
{
    // The parser takes a NUL byte for the end of the input and would accept whatever came before it. A
    // NUL is never valid JSON: outside strings it is no token, inside them an unescaped control character.
    if (text.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    auto value = nlohmann::json::parse(text.begin(), text.end(), nullptr, /*allow_exceptions=*/false,
                                       /*ignore_comments=*/false);
    if (value.is_discarded()) {
        return std::nullopt;
    }
    return value;
}

const std::string* findString(const nlohmann::json& object, std::string_view key)
{
    if (!object.is_object()) {
        return nullptr;
    }
    const auto member = object.find(key);
    return member != object.end() && member->is_string() ? member->get_ptr<const std::string*>() : nullptr;
}

} // namespace corvane
