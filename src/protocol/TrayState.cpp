#include "protocol/TrayState.h"

namespace corvane {

const std::string& MenuEntry::actionOrEmpty() const
{
    static const std::string none;
    return action ? *action : none;
}

std::vector<const MenuEntry*> TrayState::entryViews() const
{
    std::vector<const MenuEntry*> flat;
    forEachEntry([&flat](const MenuEntry& entry) {
        flat.push_back(&entry);
        return true;
    });
    return flat;
}

} // namespace corvane
