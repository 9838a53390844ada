#include "launch/ActivationPolicy.h"

namespace corvane {

std::optional<ActivationPolicy> settleActivationPolicy(LaunchMode mode, bool sessionAvailable)
{
    // The current policy, and the answer to every request: only a display session makes the process
    // an accessory (or, as the fallback, a regular) application.
    const ActivationPolicy current = sessionAvailable ? ActivationPolicy::Accessory : ActivationPolicy::Prohibited;
    const auto request = [sessionAvailable](ActivationPolicy) { return sessionAvailable; };

    if (current == ActivationPolicy::Accessory || request(ActivationPolicy::Accessory)) {
        return std::nullopt;
    }
    if (mode != LaunchMode::Tray && (current == ActivationPolicy::Regular || request(ActivationPolicy::Regular))) {
        return std::nullopt;
    }
    return current;
}

} // namespace corvane
