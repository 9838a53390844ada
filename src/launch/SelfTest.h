// The built-in self-test: checks the identity rule and the tray-state decoder, then reports "self-test".
// Needs no environment, takes no lock and creates nothing. A failed expectation aborts the process:
// only a wrong build can get there.
#pragma once

namespace corvane {

void runSelfTest();

} // namespace corvane
