// The identity rule: 64 bytes, each a lowercase hexadecimal digit.
#include "launch/InstanceId.h"

#include <gtest/gtest.h>

#include <string>

namespace corvane {
namespace {

std::string repeated(std::string_view unit, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i) {
        text += unit;
    }
    return text;
}

TEST(InstanceId, AcceptsSixtyFourLowercaseHexDigits)
{
    EXPECT_TRUE(validInstanceID(repeated("a0", 32)));
    EXPECT_TRUE(validInstanceID(repeated("0123456789abcdef", 4)));
}

TEST(InstanceId, RefusesEverythingElse)
{
    const std::string refused[] = {
        "",
        "../other",
        repeated("g", 64),
        repeated("a", 63),
        repeated("a", 65),
        repeated("A", 64),
        repeated("a", 63) + "\n",
        repeated("a", 64) + "\n",
        repeated("a", 62) + "/a",
        repeated("a", 63) + std::string(1, '\0'),
        // 62 characters, one of them two bytes long: 64 bytes, but not hexadecimal.
        repeated("a", 61) + "\xC3\xA9" + "a",
        // 64 characters, one of them two bytes long: 65 bytes.
        repeated("a", 63) + "\xC3\xA9",
    };
    for (const std::string& identity : refused) {
        EXPECT_FALSE(validInstanceID(identity)) << identity;
    }
}

} // namespace
} // namespace corvane
