// The fuzz harness of the status item's menu export (tray/DBusMenuModel): the input is a program of
// calls, from the tray's side (new states, in-place changes) and from the bus's side (every method of
// com.canonical.dbusmenu with ids, depths, property names and event names the input chooses). It
// answers the first broken invariant, or empty when all hold. No bus: the model's methods are called
// directly. The libFuzzer target fuzz_dbus_menu aborts on a non-empty answer; dbus_menu_fuzz_test
// replays the stored inputs with the normal compiler.
#pragma once

#include <string>
#include <string_view>

namespace corvane::fuzz {

std::string runDBusMenu(std::string_view input);

} // namespace corvane::fuzz
