// What the event loop reports about its children: each line a child writes, and its end once everything
// it wrote has been reported. Called on the loop's thread, from inside EventLoop::run.
#pragma once

#include <string>

namespace corvane::demo {

class ChildProcess;

class ChildListener {
public:
    virtual ~ChildListener() = default;

    virtual void onOutputLine(ChildProcess& child, const std::string& line) = 0;
    virtual void onErrorLine(ChildProcess& child, const std::string& line) = 0;
    // `status` as ChildProcess::status() tells it. The child is dropped when this returns.
    virtual void onExit(ChildProcess& child, int status) = 0;
};

} // namespace corvane::demo
