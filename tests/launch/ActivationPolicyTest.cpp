// The display-session stand-in for the activation policy.
#include "launch/ActivationPolicy.h"

#include "launch/DisplaySession.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <string>

namespace corvane {
namespace {

// Sets the three variables for one case and restores them afterwards.
class DisplayEnvironment {
public:
    DisplayEnvironment(const char* platform, const char* display, const char* wayland)
    {
        for (const auto& [name, value] : {std::pair{"QT_QPA_PLATFORM", platform}, std::pair{"DISPLAY", display},
                                          std::pair{"WAYLAND_DISPLAY", wayland}}) {
            if (const char* old = std::getenv(name)) {
                m_saved[name] = old;
            }
            value ? ::setenv(name, value, 1) : ::unsetenv(name);
        }
    }
    ~DisplayEnvironment()
    {
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
            const auto saved = m_saved.find(name);
            saved != m_saved.end() ? ::setenv(name, saved->second.c_str(), 1) : ::unsetenv(name);
        }
    }

private:
    std::map<std::string, std::string> m_saved;
};

TEST(DisplaySession, FollowsThePlatformQtWouldOpen)
{
    struct Case {
        const char* platform;
        const char* display;
        const char* wayland;
        bool available;
    };
    // Nothing listens at display 4093: a DISPLAY that names no server is no session.
    const Case cases[] = {
        {nullptr, ":4093", nullptr, false},      {nullptr, nullptr, "wayland-0", true},
        {nullptr, nullptr, nullptr, false},      {nullptr, "", "", false},
        {"offscreen", nullptr, nullptr, true},   {"xcb", nullptr, "wayland-0", false},
        {"xcb", ":4093", nullptr, false},        {"wayland", ":4093", nullptr, false},
        {"wayland", nullptr, "wayland-0", true}, {"", ":4093", nullptr, false},
    };

    for (const Case& item : cases) {
        const DisplayEnvironment environment(item.platform, item.display, item.wayland);
        EXPECT_EQ(DisplaySession::probe().available(), item.available)
            << (item.platform ? item.platform : "-") << " " << (item.display ? item.display : "-");
    }
}

TEST(ActivationPolicy, EveryModeGoesOnWithASession)
{
    for (const LaunchMode mode : {LaunchMode::Tray, LaunchMode::Form, LaunchMode::ChooseFolder}) {
        EXPECT_EQ(settleActivationPolicy(mode, true), std::nullopt);
    }
}

TEST(ActivationPolicy, WithoutASessionEveryModeFailsAsProhibited)
{
    for (const LaunchMode mode : {LaunchMode::Tray, LaunchMode::Form, LaunchMode::ChooseFolder}) {
        EXPECT_EQ(settleActivationPolicy(mode, false), ActivationPolicy::Prohibited);
    }
}

} // namespace
} // namespace corvane
