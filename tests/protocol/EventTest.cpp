// Outbound event lines: wire encoding of names and payloads, and EventWriter over a real pipe.
#include "protocol/Event.h"

#include "protocol/EventWriter.h"
#include "protocol/JsonText.h"

#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <fcntl.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <utility>

namespace corvane {
namespace {

struct EncodingCase {
    const char* situation;
    std::string name;
    EventPayload payload;
    std::string expected;
};

TEST(EventLine, EncodesSortedCompactLinesWithOneLineFeed)
{
    const std::array<EncodingCase, 11> cases = {{
        {"name only", "ready", {}, "{\"event\":\"ready\"}\n"},
        {"keys around event",
         "key-submitted",
         {{"projectRoot", std::string("/p")}, {"accessKey", std::string("k")}},
         "{\"accessKey\":\"k\",\"event\":\"key-submitted\",\"projectRoot\":\"\\/p\"}\n"},
        {"null value kept", "x", {{"projectRoot", nullptr}}, "{\"event\":\"x\",\"projectRoot\":null}\n"},
        {"booleans", "x", {{"a", true}, {"b", false}}, "{\"a\":true,\"b\":false,\"event\":\"x\"}\n"},
        {"payload event overridden", "mine", {{"event", std::string("theirs")}}, "{\"event\":\"mine\"}\n"},
        {"payload event null overridden",
         "mine",
         {{"event", nullptr}, {"z", true}},
         "{\"event\":\"mine\",\"z\":true}\n"},
        {"slash in name and key", "a/b", {{"k/", std::string("//")}}, "{\"event\":\"a\\/b\",\"k\\/\":\"\\/\\/\"}\n"},
        {"raw UTF-8",
         "x",
         {{"t", std::string("\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80")}},
         "{\"event\":\"x\",\"t\":\"\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80\"}\n"},
        {"quote and backslash", "x", {{"t", std::string("\"\\")}}, "{\"event\":\"x\",\"t\":\"\\\"\\\\\"}\n"},
        {"control characters",
         "x",
         {{"t", std::string("\n\t\x1f\x01")}},
         "{\"event\":\"x\",\"t\":\"\\n\\t\\u001f\\u0001\"}\n"},
        {"empty string value", "x", {{"t", std::string()}}, "{\"event\":\"x\",\"t\":\"\"}\n"},
    }};
    for (const EncodingCase& c : cases) {
        EXPECT_EQ(encodeEventLine(c.name, c.payload), c.expected) << c.situation;
    }
}

TEST(EventLine, EveryControlByteRoundTripsAndLeavesOneLineFeed)
{
    for (int byte = 0; byte < 0x20; ++byte) {
        const std::string text = std::string("a") + static_cast<char>(byte) + "b";
        const std::string line = encodeEventLine("x", {{"t", text}});
        ASSERT_FALSE(line.empty());
        EXPECT_EQ(line.find('\n'), line.size() - 1) << "byte " << byte;
        for (char c : line.substr(0, line.size() - 1)) {
            EXPECT_GE(static_cast<unsigned char>(c), 0x20) << "raw control byte " << byte;
        }
        const auto parsed = parseJson(line.substr(0, line.size() - 1));
        ASSERT_TRUE(parsed) << "byte " << byte;
        EXPECT_EQ(parsed->at("t").get<std::string>(), text) << "byte " << byte;
    }
}

TEST(EventLine, WritesIllFormedUtf8AsReplacementCharacters)
{
    const std::string replacement = "\xEF\xBF\xBD";
    // Single bad units, where one replacement is the only reading.
    const std::array<std::pair<std::string, std::string>, 4> exact = {{
        {"a\xFF"
         "b",
         "a" + replacement + "b"},
        {"a\x80"
         "b",
         "a" + replacement + "b"},
        {"a\xC3", "a" + replacement},
        {"\xC3(", replacement + "("},
    }};
    for (const auto& [input, output] : exact) {
        EXPECT_EQ(encodeEventLine("x", {{"t", input}}), "{\"event\":\"x\",\"t\":\"" + output + "\"}\n");
    }
    // Longer ill-formed sequences: the line must stay valid JSON and keep the good text around them.
    const std::array<std::string, 5> sequences = {"\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE6\x97",
                                                  "\xF8\x88\x80\x80\x80"};
    for (const std::string& bad : sequences) {
        const std::string line = encodeEventLine("x", {{"t", "<" + bad + ">"}});
        const auto parsed = parseJson(line.substr(0, line.size() - 1));
        ASSERT_TRUE(parsed) << "line not valid JSON for " << testing::PrintToString(bad);
        const std::string text = parsed->at("t").get<std::string>();
        EXPECT_EQ(text.front(), '<');
        EXPECT_EQ(text.back(), '>');
        EXPECT_NE(text.find(replacement), std::string::npos);
        EXPECT_EQ(text.find(bad), std::string::npos);
    }
}

TEST(EventLine, AppendJsonStringAppendsOneLiteral)
{
    std::string out = "x=";
    appendJsonString(out, "a/\"\xC3\xA9");
    EXPECT_EQ(out, "x=\"a\\/\\\"\xC3\xA9\"");
}

// Both ends of a pipe; an end is closed (and set to -1) at most once.
struct Pipe {
    Pipe()
    {
        if (::pipe2(ends.data(), O_CLOEXEC) != 0) {
            ends = {-1, -1};
        }
    }
    ~Pipe()
    {
        close(0);
        close(1);
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    void close(std::size_t end)
    {
        if (ends[end] >= 0) {
            ::close(std::exchange(ends[end], -1));
        }
    }
    std::array<int, 2> ends = {-1, -1};
};

std::string readAll(int descriptor)
{
    std::string all;
    std::array<char, 1024> chunk{};
    for (;;) {
        const ssize_t count = ::read(descriptor, chunk.data(), chunk.size());
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return all;
        }
        all.append(chunk.data(), static_cast<std::size_t>(count));
    }
}

TEST(EventWriterPipe, DeliversEveryByteWhenThePipeTakesPartOfALine)
{
    Pipe pipe;
    ASSERT_GE(pipe.ends[1], 0);
    ASSERT_GE(::fcntl(pipe.ends[1], F_SETPIPE_SZ, 4096), 4096);
    std::string received;
    std::thread reader([&] { received = readAll(pipe.ends[0]); });

    EventWriter writer(pipe.ends[1]);
    int failures = 0;
    writer.setFailureHandler([&] { ++failures; });
    const std::string big(100 * 1024, 'q');
    const std::string line = encodeEventLine("big", {{"t", big}});
    const bool written = writer.writeLine(line);
    writer.emit("after");
    pipe.close(1);
    reader.join();

    EXPECT_TRUE(written);
    EXPECT_FALSE(writer.failed());
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(received.size(), line.size() + encodeEventLine("after").size());
    EXPECT_TRUE(received == line + "{\"event\":\"after\"}\n");
}

TEST(EventWriterPipe, GoesQuietForGoodAfterAFailedWriteAndReportsOnce)
{
    ::signal(SIGPIPE, SIG_IGN);
    Pipe closed;
    Pipe later;
    ASSERT_GE(closed.ends[1], 0);
    ASSERT_GE(later.ends[1], 0);
    closed.close(0);

    EventWriter writer(closed.ends[1]);
    int failures = 0;
    writer.setFailureHandler([&] { ++failures; });
    EXPECT_FALSE(writer.writeLine("{\"event\":\"first\"}\n"));
    EXPECT_TRUE(writer.failed());
    EXPECT_EQ(failures, 1);

    // The same descriptor number now reaches a working pipe: a writer that kept going would fill it.
    ASSERT_EQ(::dup2(later.ends[1], closed.ends[1]), closed.ends[1]);
    writer.emit("second");
    EXPECT_FALSE(writer.writeLine("{\"event\":\"third\"}\n"));
    EXPECT_EQ(failures, 1);
    EXPECT_TRUE(writer.failed());
    closed.close(1);
    later.close(1);
    EXPECT_EQ(readAll(later.ends[0]), "");
}

} // namespace
} // namespace corvane
