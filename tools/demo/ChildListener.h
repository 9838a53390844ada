// What a ChildProcess reports: each line the child writes, and its end once everything it wrote has been
// reported. Called from the Qt event loop, on the thread that started the child.
#pragma once

#include <string>

namespace corvane::demo {

class ChildProcess;

class ChildListener {
public:
    virtual ~ChildListener() = default;

    virtual void onOutputLine(ChildProcess& child, const std::string& line) = 0;
    virtual void onErrorLine(ChildProcess& child, const std::string& line) = 0;
    // `status` as ChildProcess::status() tells it.
    virtual void onExit(ChildProcess& child, int status) = 0;
};

} // namespace corvane::demo
