// Keeps the status item's D-Bus traffic from running ahead of the bus.
//
// Every state the status item applies on the D-Bus path becomes messages (new titles, a new layout, a new
// icon) that Qt queues in this process until the bus takes them, and nothing bounds that queue: a
// controller that sends states faster than the bus carries them would grow this process without limit.
// So after every statesPerRoundTrip states a round trip goes to the item's own bus connection (a Peer
// ping, which that connection answers only after every message it queued before it), and when the next
// one is due while the last is unanswered, input waits until it is answered. At most twice
// statesPerRoundTrip states' messages are then on their way at any time, and a flooding controller fills
// the pipe instead. An error (the bus gone, a timeout) counts as the answer, so input never waits for
// good. Main thread.
#pragma once

#include <QObject>
#include <QString>

namespace corvane {

class InputChannel;

class BusPacing final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BusPacing)

public:
    static constexpr int statesPerRoundTrip = 32;

    // `itemService`: the bus name the item is registered under.
    BusPacing(QString itemService, InputChannel& input, QObject* parent = nullptr);

    void stateApplied();

private:
    void startRoundTrip();
    void onAnswered();

    const QString m_itemService;
    InputChannel& m_input;
    int m_statesSinceRoundTrip = 0;
    bool m_roundTripOpen = false;
    bool m_inputPaused = false;
};

} // namespace corvane
