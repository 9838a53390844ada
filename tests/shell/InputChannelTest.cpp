// The input channel between the reader thread and the main thread: lines and the end of input arrive in
// order, a paused channel delivers nothing until it is resumed as often as it was paused, and what waits
// in a paused channel is bounded, so the controller's pipe fills up instead.
#include "InputChannelFixture.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace corvane {
namespace {

using InputChannelTest = InputChannelFixture;

TEST_F(InputChannelTest, LinesAndTheEndArriveInOrder)
{
    m_channel.start();
    m_pipe.write("one\ntwo\n\nthree\n");
    m_pipe.closeWriteEnd();
    ASSERT_TRUE(awaitEnd());
    EXPECT_EQ(received, (std::vector<std::string>{"one", "two", "", "three", "<end>"}));
}

TEST_F(InputChannelTest, APausedChannelHoldsABoundedQueueUntilResumedAsOftenAsPaused)
{
    m_channel.pause();
    m_channel.pause();
    m_channel.start();
    const std::string line = "a line the controller keeps sending\n";
    // The reader stops taking lines once the channel's bound is reached, so the pipe ends up full while
    // nothing has been delivered.
    ASSERT_TRUE(m_pipe.fillWith(line, [] { QCoreApplication::processEvents(); }));
    EXPECT_TRUE(received.empty());
    m_channel.resume();
    QCoreApplication::processEvents();
    EXPECT_TRUE(received.empty());

    m_channel.resume();
    m_pipe.closeWriteEnd();
    ASSERT_TRUE(awaitEnd());
    ASSERT_GT(received.size(), InputChannel::maxQueuedLines);
    for (std::size_t index = 0; index + 1 < received.size(); ++index) {
        ASSERT_EQ(received[index] + "\n", line) << index;
    }
    // A resume without a pause changes nothing.
    m_channel.resume();
    EXPECT_EQ(received.back(), "<end>");
}

class PausingInputChannelTest : public InputChannelFixture {
protected:
    void onLine(std::string&& line) override
    {
        if (line == "pause") {
            m_channel.pause();
        }
        received.push_back(std::move(line));
    }
};

TEST_F(PausingInputChannelTest, AHandlerThatPausesHoldsWhatFollowsUntilResumed)
{
    m_channel.start();
    m_pipe.write("before\npause\n");
    ASSERT_TRUE(m_pipe.fillWith("after\n", [] { QCoreApplication::processEvents(); }));
    EXPECT_EQ(received, (std::vector<std::string>{"before", "pause"}));
    m_channel.resume();
    m_pipe.closeWriteEnd();
    ASSERT_TRUE(awaitEnd());
    ASSERT_GT(received.size(), InputChannel::maxQueuedLines);
    EXPECT_EQ(std::count(received.begin(), received.end(), "after"), static_cast<long>(received.size()) - 3);
    EXPECT_EQ(received.back(), "<end>");
}

} // namespace
} // namespace corvane

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
