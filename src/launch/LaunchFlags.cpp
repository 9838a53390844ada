#include "launch/LaunchFlags.h"

#include <string_view>

namespace corvane {

LaunchFlags LaunchFlags::parse(std::span<const char* const> arguments)
{
    LaunchFlags flags;
    for (const char* argument : arguments) {
        const std::string_view text = argument ? argument : "";
        flags.selfTest = flags.selfTest || text == "--self-test";
        flags.form = flags.form || text == "form";
        flags.chooseFolder = flags.chooseFolder || text == "choose-folder";
        flags.smoke = flags.smoke || text == "--smoke";
    }
    return flags;
}

LaunchMode LaunchFlags::mode() const
{
    if (selfTest) {
        return LaunchMode::SelfTest;
    }
    if (chooseFolder) {
        return LaunchMode::ChooseFolder;
    }
    return form ? LaunchMode::Form : LaunchMode::Tray;
}

} // namespace corvane
