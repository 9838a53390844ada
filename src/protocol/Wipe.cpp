#include "protocol/Wipe.h"

#include <cstring>

namespace corvane {

void wipe(char* data, std::size_t size)
{
    ::explicit_bzero(data, size);
}

void wipe(std::string& bytes)
{
    wipe(bytes.data(), bytes.size());
}

} // namespace corvane
