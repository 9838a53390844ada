#include "launch/SelfTest.h"

#include "launch/InstanceId.h"
#include "protocol/EventWriter.h"
#include "protocol/TrayStateDecoder.h"

#include <cstdlib>
#include <string>

namespace corvane {
namespace {

void expect(bool holds)
{
    if (!holds) {
        std::abort();
    }
}

std::string repeated(std::string_view unit, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i) {
        text += unit;
    }
    return text;
}

} // namespace

void runSelfTest()
{
    expect(validInstanceID(repeated("a0", 32)));
    expect(!validInstanceID(""));
    expect(!validInstanceID("../other"));
    expect(!validInstanceID(repeated("g", 64)));
    expect(!validInstanceID(repeated("a", 63)));
    expect(!decodeTrayState(std::string_view("{}")));
    emit("self-test", {{"passed", true}});
}

} // namespace corvane
