// The libFuzzer entry point of one fuzz target: runs the harness named by CORVANE_FUZZ_TARGET and aborts,
// naming the broken invariant, when the harness reports one.
#include "FuzzHarness.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const corvane::fuzz::Harness run = corvane::fuzz::harness(CORVANE_FUZZ_TARGET);
    if (!run) {
        std::fputs("unknown fuzz target " CORVANE_FUZZ_TARGET "\n", stderr);
        std::abort();
    }
    const std::string broken = run(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!broken.empty()) {
        std::fprintf(stderr, "%s: broken invariant: %s\n", CORVANE_FUZZ_TARGET, broken.c_str());
        std::abort();
    }
    return 0;
}
