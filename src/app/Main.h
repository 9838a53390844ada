// The process entry: decides once, in a fixed order, what this run is (self-test, refused start,
// duplicate, folder chooser, or the tray or form event loop), and is the only place that ends the
// process with status 1. Main thread.
#pragma once

namespace corvane {

class Main final {
public:
    // Answers the exit status.
    static int main(int argc, char** argv);
};

} // namespace corvane
