// The libFuzzer entry point of fuzz_dbus_menu: aborts, naming the broken invariant, when the harness
// reports one.
#include "DBusMenuHarness.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string broken = corvane::fuzz::runDBusMenu(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!broken.empty()) {
        std::fprintf(stderr, "dbus_menu: broken invariant: %s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
