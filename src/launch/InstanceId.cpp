#include "launch/InstanceId.h"

#include <algorithm>

namespace corvane {

bool validInstanceID(std::string_view identity)
{
    return identity.size() == instanceIdBytes && std::all_of(identity.begin(), identity.end(), [](char byte) {
               return (byte >= '0' && byte <= '9') || (byte >= 'a' && byte <= 'f');
           });
}

} // namespace corvane
