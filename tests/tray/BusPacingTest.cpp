// Pacing the tray's bus traffic never costs a line: whether the item's connection answers the round
// trips, is not on the bus at all, or has no name yet, every line arrives, in order, and the end of input
// after them. Runs on a private session bus.
#include "tray/BusPacing.h"

#include "InputChannelFixture.h"

#include <QCoreApplication>
#include <QDBusConnection>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace corvane {
namespace {

class BusPacingTest : public InputChannelFixture, public ::testing::WithParamInterface<const char*> {
protected:
    void onLine(std::string&& line) override
    {
        received.push_back(std::move(line));
        m_pacing.stateApplied();
    }

    static QString service()
    {
        const std::string name = GetParam();
        // "self": this process's own connection, which answers every ping.
        return name == "self" ? QDBusConnection::sessionBus().baseService() : QString::fromStdString(name);
    }

    BusPacing m_pacing{service(), m_channel};
};

TEST_P(BusPacingTest, EveryLineArrivesInOrder)
{
    ASSERT_TRUE(QDBusConnection::sessionBus().isConnected());
    constexpr int lines = 40 * BusPacing::statesPerRoundTrip;
    std::string input;
    for (int index = 0; index < lines; ++index) {
        input += std::to_string(index) + "\n";
    }
    m_channel.start();
    m_pipe.write(input);
    m_pipe.closeWriteEnd();
    ASSERT_TRUE(awaitEnd());
    ASSERT_EQ(received.size(), static_cast<std::size_t>(lines) + 1);
    for (int index = 0; index < lines; ++index) {
        ASSERT_EQ(received[static_cast<std::size_t>(index)], std::to_string(index));
    }
}

INSTANTIATE_TEST_SUITE_P(ItemConnections, BusPacingTest, ::testing::Values("self", ":1.424242", ""));

} // namespace
} // namespace corvane
