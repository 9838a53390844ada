// The validity rules every accepted tray state satisfies, checked in a fixed order; the first broken
// rule refuses the whole state. Pure; safe on any thread.
#pragma once

#include "protocol/TrayState.h"

#include <cstddef>
#include <optional>

namespace corvane {

constexpr std::size_t minTopLevelRows = 1;
constexpr std::size_t maxTopLevelRows = 20;
constexpr std::size_t maxEntries = 32;
constexpr std::size_t maxIdBytes = 64;

enum class TrayStateRule {
    KnownStatus,
    KnownIconStatus,
    TopLevelRowCount,
    EntryCount,
    UniqueIds,
    IdLength,
    ParentShape,
};

bool isStatusWord(std::string_view word);

// The first rule that `state` breaks, or nothing when it is valid.
std::optional<TrayStateRule> firstBrokenRule(const TrayState& state);

inline bool isValidTrayState(const TrayState& state)
{
    return !firstBrokenRule(state);
}

} // namespace corvane
