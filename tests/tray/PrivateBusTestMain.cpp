// The main() of tray tests that talk over a session bus: a private desktop of their own (its bus is this
// process's session bus), then one QCoreApplication.
#include "TestDesktop.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    const corvane::test::TestDesktop desktop;
    ::setenv("DBUS_SESSION_BUS_ADDRESS", desktop.environment().get("DBUS_SESSION_BUS_ADDRESS").value().c_str(), 1);
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
