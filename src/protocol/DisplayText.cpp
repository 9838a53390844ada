#include "protocol/DisplayText.h"

#include "protocol/UnicodeText.h"

namespace corvane {

std::string_view shownRowTitle(std::string_view text)
{
    return firstCharacters(text, maxRowTitleCharacters);
}

std::string_view shownTooltip(std::string_view text)
{
    return firstCharacters(text, maxTooltipCharacters);
}

std::string_view shownFormMessage(std::string_view text)
{
    return firstCharacters(text, maxFormMessageCharacters);
}

} // namespace corvane
