// corvane-virtual-pointer: a pointer for a compositor that has none (sway's headless backend), through
// zwlr_virtual_pointer_v1. The panel tests move it and click with it as a person would with a mouse.
//
//   corvane-virtual-pointer [COMMAND...]
//
// Commands, in absolute coordinates of the output (the first one the compositor announces):
//   move X Y           the pointer to X,Y
//   press [BUTTON]     a button down: left (the default), right or middle
//   release [BUTTON]   that button up
//   click X Y [BUTTON] move, press and release
// With a COMMAND it carries out that one command and exits. Without one it reads commands on standard
// input, one a line, and answers each with "ok" once the compositor has taken it (after a round trip), or
// with "error: ..." for a line it does not understand; the pointer lives until standard input closes, so
// the seat keeps its pointer between commands. Exit status 1 when the compositor cannot be reached or
// offers no virtual pointers.
//
// Single-threaded: every request goes out and is confirmed on the main thread.

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iostream>
#include <linux/input-event-codes.h>
#include <optional>
#include <sstream>
#include <string>
#include <vector>
#include <wayland-client.h>

namespace {

struct Globals {
    wl_seat* seat = nullptr;
    wl_output* output = nullptr;
    zwlr_virtual_pointer_manager_v1* manager = nullptr;
    int32_t width = 0;
    int32_t height = 0;
};

void onGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t /*version*/)
{
    auto* globals = static_cast<Globals*>(data);
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && !globals->seat) {
        globals->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    } else if (std::strcmp(interface, wl_output_interface.name) == 0 && !globals->output) {
        globals->output = static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, 1));
    } else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
        globals->manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    }
}

void onGlobalRemove(void*, wl_registry*, uint32_t) {}

const wl_registry_listener registryListener = {onGlobal, onGlobalRemove};

void onGeometry(void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*, const char*, int32_t) {}

void onMode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t)
{
    auto* globals = static_cast<Globals*>(data);
    if (flags & WL_OUTPUT_MODE_CURRENT) {
        globals->width = width;
        globals->height = height;
    }
}

// Bound at version 1, the output sends only its geometry and its modes.
wl_output_listener outputListener()
{
    wl_output_listener listener{};
    listener.geometry = onGeometry;
    listener.mode = onMode;
    return listener;
}

uint32_t now()
{
    timespec time{};
    clock_gettime(CLOCK_MONOTONIC, &time);
    return static_cast<uint32_t>(time.tv_sec * 1000 + time.tv_nsec / 1000000);
}

std::optional<uint32_t> buttonNamed(const std::string& name)
{
    if (name.empty() || name == "left") {
        return BTN_LEFT;
    }
    if (name == "right") {
        return BTN_RIGHT;
    }
    if (name == "middle") {
        return BTN_MIDDLE;
    }
    return std::nullopt;
}

class Pointer final {
public:
    Pointer(wl_display* display, const Globals& globals)
        : display_(display), globals_(globals),
          pointer_(zwlr_virtual_pointer_manager_v1_create_virtual_pointer(globals.manager, globals.seat))
    {}
    ~Pointer() { zwlr_virtual_pointer_v1_destroy(pointer_); }
    Pointer(const Pointer&) = delete;
    Pointer& operator=(const Pointer&) = delete;

    // Carries out one command; the reason when it is not one.
    std::optional<std::string> run(const std::vector<std::string>& words)
    {
        const std::string verb = words.empty() ? std::string() : words[0];
        if ((verb == "move" && words.size() == 3) || (verb == "click" && (words.size() == 3 || words.size() == 4))) {
            const auto x = coordinate(words[1], globals_.width);
            const auto y = coordinate(words[2], globals_.height);
            const auto button = buttonNamed(words.size() == 4 ? words[3] : std::string());
            if (!x || !y || !button) {
                return "bad coordinates or button";
            }
            zwlr_virtual_pointer_v1_motion_absolute(pointer_, now(), *x, *y, static_cast<uint32_t>(globals_.width),
                                                    static_cast<uint32_t>(globals_.height));
            zwlr_virtual_pointer_v1_frame(pointer_);
            if (verb == "click") {
                // The panel sees the pointer arrive before the button, as with a hand on a mouse.
                wl_display_roundtrip(display_);
                sendButton(*button, WL_POINTER_BUTTON_STATE_PRESSED);
                sendButton(*button, WL_POINTER_BUTTON_STATE_RELEASED);
            }
        } else if ((verb == "press" || verb == "release") && words.size() <= 2) {
            const auto button = buttonNamed(words.size() == 2 ? words[1] : std::string());
            if (!button) {
                return "bad button";
            }
            sendButton(*button, verb == "press" ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED);
        } else {
            return "unknown command";
        }
        if (wl_display_roundtrip(display_) < 0) {
            return "the compositor went away";
        }
        return std::nullopt;
    }

private:
    static std::optional<uint32_t> coordinate(const std::string& text, int32_t extent)
    {
        try {
            std::size_t used = 0;
            const long value = std::stol(text, &used);
            if (used == text.size() && value >= 0 && value < extent) {
                return static_cast<uint32_t>(value);
            }
        } catch (const std::exception&) {
        }
        return std::nullopt;
    }

    void sendButton(uint32_t button, wl_pointer_button_state state)
    {
        zwlr_virtual_pointer_v1_button(pointer_, now(), button, state);
        zwlr_virtual_pointer_v1_frame(pointer_);
    }

    wl_display* display_ = nullptr;
    const Globals& globals_;
    zwlr_virtual_pointer_v1* pointer_ = nullptr;
};

std::vector<std::string> wordsOf(const std::string& line)
{
    std::istringstream stream(line);
    std::vector<std::string> words;
    for (std::string word; stream >> word;) {
        words.push_back(word);
    }
    return words;
}

} // namespace

int main(int argc, char** argv)
{
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        std::fputs("corvane-virtual-pointer: no Wayland compositor at WAYLAND_DISPLAY\n", stderr);
        return 1;
    }
    Globals globals;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, &globals);
    wl_display_roundtrip(display);
    if (!globals.manager || !globals.output) {
        std::fputs("corvane-virtual-pointer: the compositor offers no virtual pointer or no output\n", stderr);
        return 1;
    }
    const wl_output_listener listener = outputListener();
    wl_output_add_listener(globals.output, &listener, &globals);
    wl_display_roundtrip(display);
    if (globals.width <= 0 || globals.height <= 0) {
        std::fputs("corvane-virtual-pointer: the output has no current mode\n", stderr);
        return 1;
    }

    int status = 0;
    {
        Pointer pointer(display, globals);
        if (argc > 1) {
            const auto error = pointer.run(std::vector<std::string>(argv + 1, argv + argc));
            if (error) {
                std::fprintf(stderr, "corvane-virtual-pointer: %s\n", error->c_str());
                status = 2;
            }
        } else {
            for (std::string line; std::getline(std::cin, line);) {
                const auto error = pointer.run(wordsOf(line));
                std::cout << (error ? "error: " + *error : std::string("ok")) << std::endl;
            }
        }
    }
    zwlr_virtual_pointer_manager_v1_destroy(globals.manager);
    wl_output_destroy(globals.output);
    if (globals.seat) {
        wl_seat_destroy(globals.seat);
    }
    wl_registry_destroy(registry);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return status;
}
