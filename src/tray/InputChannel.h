// Runs the input reader on its own thread and hands each line, in order, to the main thread, where
// the receiver (held weakly) gets it. End of input and input failure arrive the same way, after every
// line before them. The thread is cancelled and joined on destruction, so nothing is posted to a
// receiver that is gone. Construct and destroy on the main thread.
#pragma once

#include "InputReader.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <thread>

namespace corvane {

class InputChannel final : public QObject, private InputSink {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(InputChannel)

public:
    struct Handlers {
        std::function<void(std::string&&)> line;
        std::function<void()> ended;
        std::function<void()> failed;
    };

    InputChannel(int descriptor, Handlers handlers, QObject* parent = nullptr);
    ~InputChannel() override;

    void start();

private:
    void line(std::string&& line) override;
    void ended() override;
    void failed() override;

    Handlers m_handlers;
    InputReader m_reader;
    std::thread m_thread;
};

} // namespace corvane
