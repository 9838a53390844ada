// How much of a controller text is shown: every display cut in one place. Row titles are cut to 64
// user-perceived characters, the tooltip and the form's message to 360; nothing else is changed here
// (the tray and the form escape what they show for their own widgets). Pure; safe on any thread.
#pragma once

#include <cstddef>
#include <string_view>

namespace corvane {

constexpr std::size_t maxRowTitleCharacters = 64;
constexpr std::size_t maxTooltipCharacters = 360;
constexpr std::size_t maxFormMessageCharacters = 360;

std::string_view shownRowTitle(std::string_view text);
std::string_view shownTooltip(std::string_view text);
std::string_view shownFormMessage(std::string_view text);

} // namespace corvane
