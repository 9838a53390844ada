// Line framing of the inbound byte stream: only the line feed ends a line, and lines are capped in size.
#include "protocol/LineFramer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corvane {
namespace {

struct Framed {
    std::vector<std::string> lines;
    LineFramer::Result last = LineFramer::Result::NeedMore;
    std::size_t pending = 0;
};

// Feeds `chunks` in order, stopping at the first Overlong.
Framed frame(const std::vector<std::string>& chunks)
{
    LineFramer framer;
    Framed framed;
    for (const std::string& chunk : chunks) {
        framed.last = framer.feed(chunk, [&](std::string&& line) { framed.lines.push_back(std::move(line)); });
        if (framed.last == LineFramer::Result::Overlong) {
            break;
        }
    }
    framed.pending = framer.pendingBytes();
    return framed;
}

const std::string longest(maxLineBytes, 'x');
const std::string tooLong(maxLineBytes + 1, 'x');

struct Case {
    const char* situation;
    std::vector<std::string> chunks;
    std::vector<std::string> lines;
    LineFramer::Result result;
    std::size_t pending;
};

TEST(LineFramer, DeliversCompleteLinesInOrderAndKeepsTheRest)
{
    using R = LineFramer::Result;
    const std::vector<Case> cases = {
        {"two lines in one feed", {"a\nb\n"}, {"a", "b"}, R::NeedMore, 0},
        {"carriage return stays", {"a\r\n"}, {"a\r"}, R::NeedMore, 0},
        {"lone carriage return ends nothing", {"a\rb"}, {}, R::NeedMore, 3},
        {"empty lines", {"\n\n"}, {"", ""}, R::NeedMore, 0},
        {"other separators are plain bytes",
         {std::string("a\0b\x0b\x0c\xC2\x85\xE2\x80\xA8"
                      "c\n",
                      12)},
         {std::string("a\0b\x0b\x0c\xC2\x85\xE2\x80\xA8"
                      "c",
                      11)},
         R::NeedMore,
         0},
        {"invalid bytes are not checked", {"\xFF\xFE\n"}, {"\xFF\xFE"}, R::NeedMore, 0},
        {"split line delivered once", {"ab", "c", "d\ne"}, {"abcd"}, R::NeedMore, 1},
        {"line feed in its own feed", {"abc", "\n"}, {"abc"}, R::NeedMore, 0},
        {"byte by byte", {"o", "k", "\r", "\n", "!", "\n"}, {"ok\r", "!"}, R::NeedMore, 0},
        {"longest line", {longest + "\n"}, {longest}, R::NeedMore, 0},
        {"longest line over two feeds",
         {longest.substr(0, 100), longest.substr(100), "\nz"},
         {longest},
         R::NeedMore,
         1},
        {"longest incomplete line waits", {longest}, {}, R::NeedMore, maxLineBytes},
        {"one byte over with line feed", {tooLong + "\n"}, {}, R::Overlong, 0},
        {"one byte over, incomplete", {tooLong}, {}, R::Overlong, 0},
        {"one byte over as soon as fed", {longest, "y"}, {}, R::Overlong, 0},
        {"lines before the over-long one delivered, after it not",
         {"first\nsecond\n" + tooLong + "\nafter\n"},
         {"first", "second"},
         R::Overlong,
         0},
        {"tail after a line grows over the cap", {"ok\n" + tooLong}, {"ok"}, R::Overlong, 0},
        {"longest line then another line", {longest + "\nnext\n"}, {longest, "next"}, R::NeedMore, 0},
    };
    for (const Case& c : cases) {
        const Framed framed = frame(c.chunks);
        EXPECT_EQ(framed.lines, c.lines) << c.situation;
        EXPECT_EQ(framed.last, c.result) << c.situation;
        if (c.result == R::NeedMore) {
            EXPECT_EQ(framed.pending, c.pending) << c.situation;
        }
    }
}

TEST(LineFramer, DeliversNothingMoreOnceALineWasOverlong)
{
    // Once a line was over-long nothing is framed any more, whatever comes later.
    LineFramer framer;
    std::vector<std::string> lines;
    const auto deliver = [&](std::string&& line) { lines.push_back(std::move(line)); };
    ASSERT_EQ(framer.feed(tooLong, deliver), LineFramer::Result::Overlong);
    framer.feed("after\n", deliver);
    framer.feed("more\n", deliver);
    EXPECT_TRUE(lines.empty()) << "delivered after Overlong: " << testing::PrintToString(lines);
}

} // namespace
} // namespace corvane
