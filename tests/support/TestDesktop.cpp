// Assembles a private desktop for one test. Owner's thread only.
#include "TestDesktop.h"

#include <stdexcept>

namespace corvane::test {

TestDesktop::TestDesktop() : m_scratch("corvane-desktop")
{
    for (const char* name : {"runtime", "tmp", "files"}) {
        std::filesystem::create_directory(m_scratch.path() / name);
        std::filesystem::permissions(m_scratch.path() / name, std::filesystem::perms::owner_all);
    }
}

TestHost& TestDesktop::startHost(const std::string& program)
{
    return m_host.emplace(program, environment());
}

TestHost& TestDesktop::host()
{
    if (!m_host) {
        throw std::logic_error("the test host was not started");
    }
    return *m_host;
}

Environment TestDesktop::environment() const
{
    Environment environment = Environment::inherited();
    environment.set("DISPLAY", m_display.display());
    environment.set("DBUS_SESSION_BUS_ADDRESS", m_bus.address());
    environment.set("QT_QPA_PLATFORM", "xcb");
    environment.set("XDG_RUNTIME_DIR", (m_scratch.path() / "runtime").string());
    environment.set("TMPDIR", (m_scratch.path() / "tmp").string());
    for (const char* name : {"WAYLAND_DISPLAY", "XDG_CURRENT_DESKTOP", "XDG_SESSION_TYPE", "DESKTOP_SESSION",
                             "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID", "QT_QPA_PLATFORMTHEME"}) {
        environment.unset(name);
    }
    // Debian's libxkbcommon-x11 hands strndup an atom name without a terminator. When the name ends its
    // reply buffer, ASan's strndup interceptor reports a read past it in every sanitized Qt program on
    // X11; that code is not ours, so sanitized runs on the desktop leave strndup alone.
    if (const std::optional<std::string> sanitizer = environment.get("ASAN_OPTIONS")) {
        environment.set("ASAN_OPTIONS", *sanitizer + ":intercept_strndup=0");
    }
    return environment;
}

} // namespace corvane::test
