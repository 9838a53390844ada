// The display-session stand-in for the activation policy.
#include "launch/ActivationPolicy.h"

#include "launch/DisplaySession.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace corvane {
namespace {

const char* const variables[] = {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE"};

// Sets the variables for one case and restores them afterwards.
class DisplayEnvironment {
public:
    DisplayEnvironment(const char* platform, const char* display, const char* wayland, const char* session = nullptr)
    {
        const char* const values[] = {platform, display, wayland, session};
        for (std::size_t index = 0; index < std::size(variables); ++index) {
            if (const char* old = std::getenv(variables[index])) {
                m_saved[variables[index]] = old;
            }
            values[index] ? ::setenv(variables[index], values[index], 1) : ::unsetenv(variables[index]);
        }
    }
    ~DisplayEnvironment()
    {
        for (const char* name : variables) {
            const auto saved = m_saved.find(name);
            saved != m_saved.end() ? ::setenv(name, saved->second.c_str(), 1) : ::unsetenv(name);
        }
    }

private:
    std::map<std::string, std::string> m_saved;
};

// A Wayland display that accepts connections: a listening socket in a runtime folder of its own, named
// by XDG_RUNTIME_DIR while it exists.
class ListeningWaylandSocket {
public:
    explicit ListeningWaylandSocket(const char* name = "wayland-test")
    {
        char folder[] = "/tmp/corvane-wayland-XXXXXX";
        m_folder = ::mkdtemp(folder);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = m_folder + "/" + name;
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
        m_socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        EXPECT_EQ(::bind(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(::listen(m_socket, 8), 0);
        if (const char* old = std::getenv("XDG_RUNTIME_DIR")) {
            m_savedRuntime = old;
        }
        ::setenv("XDG_RUNTIME_DIR", m_folder.c_str(), 1);
    }
    ~ListeningWaylandSocket()
    {
        ::close(m_socket);
        std::filesystem::remove_all(m_folder);
        m_savedRuntime ? ::setenv("XDG_RUNTIME_DIR", m_savedRuntime->c_str(), 1) : ::unsetenv("XDG_RUNTIME_DIR");
    }

private:
    std::string m_folder;
    int m_socket = -1;
    std::optional<std::string> m_savedRuntime;
};

TEST(DisplaySession, FollowsThePlatformsQtWouldTry)
{
    struct Case {
        const char* platform;
        const char* display;
        const char* wayland;
        bool available;
    };
    const ListeningWaylandSocket compositor;
    // Nothing listens at display 4093, nor at "wayland-none": a display that names no server is no session.
    const Case cases[] = {
        {nullptr, ":4093", nullptr, false},
        {nullptr, nullptr, "wayland-test", true},
        {nullptr, nullptr, "wayland-none", false},
        {nullptr, nullptr, nullptr, false},
        {nullptr, "", "", false},
        {"offscreen", nullptr, nullptr, true},
        {"xcb", nullptr, "wayland-test", false},
        {"xcb", ":4093", nullptr, false},
        {"wayland", ":4093", nullptr, false},
        {"wayland", nullptr, "wayland-test", true},
        {"wayland", nullptr, "wayland-none", false},
        {"xcb;wayland", ":4093", "wayland-test", true},
        {"wayland:option=1", nullptr, "wayland-test", true},
        {"", ":4093", nullptr, false},
    };
    for (const Case& item : cases) {
        const DisplayEnvironment environment(item.platform, item.display, item.wayland);
        EXPECT_EQ(DisplaySession::probe().available(), item.available)
            << (item.platform ? item.platform : "-") << " " << (item.display ? item.display : "-") << " "
            << (item.wayland ? item.wayland : "-");
    }
    // A Wayland session without WAYLAND_DISPLAY is tried at the library's default name.
    const DisplayEnvironment session(nullptr, nullptr, nullptr, "wayland");
    EXPECT_FALSE(DisplaySession::probe().available());
    const ListeningWaylandSocket defaultName("wayland-0");
    EXPECT_TRUE(DisplaySession::probe().available());
}

TEST(DisplaySession, APlatformWithoutItsPluginIsNoSession)
{
    const ListeningWaylandSocket compositor;
    const auto onlyOffscreen = [](std::string_view platform) { return platform == "offscreen"; };
    for (const char* platform : {"wayland", "nosuchplatform", "nosuchplatform;wayland"}) {
        const DisplayEnvironment environment(platform, nullptr, "wayland-test");
        EXPECT_FALSE(DisplaySession::probe(onlyOffscreen).available()) << platform;
    }
    const DisplayEnvironment environment("nosuchplatform;offscreen", nullptr, nullptr);
    EXPECT_TRUE(DisplaySession::probe(onlyOffscreen).available());
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
