#include "protocol/Wipe.h"

namespace corvane {

void wipe(char* data, std::size_t size)
{
    volatile char* bytes = data;
    for (std::size_t index = 0; index < size; ++index) {
        bytes[index] = 0;
    }
}

void wipe(std::string& bytes)
{
    wipe(bytes.data(), bytes.size());
}

} // namespace corvane
