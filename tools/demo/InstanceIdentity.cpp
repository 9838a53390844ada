// Identity generation with getrandom(2). Any thread.
#include "InstanceIdentity.h"

#include <array>
#include <cerrno>
#include <sys/random.h>
#include <system_error>

namespace corvane::demo {

std::string newInstanceIdentity()
{
    std::array<unsigned char, 32> bytes{};
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t count = ::getrandom(bytes.data() + filled, bytes.size() - filled, 0);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            throw std::system_error(errno, std::generic_category(), "getrandom");
        }
        filled += static_cast<std::size_t>(count);
    }
    static constexpr char digits[] = "0123456789abcdef";
    std::string identity;
    for (const unsigned char byte : bytes) {
        identity += digits[byte >> 4];
        identity += digits[byte & 0xF];
    }
    return identity;
}

} // namespace corvane::demo
