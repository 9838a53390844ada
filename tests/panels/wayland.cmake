# The Wayland panel: the item on waybar under sway's headless backend, driven by a virtual pointer of our
# own. Built and registered only where the Wayland client library and wayland-scanner are found.
pkg_check_modules(WAYLAND_CLIENT IMPORTED_TARGET wayland-client)
find_program(WAYLAND_SCANNER wayland-scanner)
if(NOT WAYLAND_CLIENT_FOUND OR NOT WAYLAND_SCANNER)
    message(STATUS "Wayland panel tests left out: wayland-client or wayland-scanner not found")
    return()
endif()

set(protocol ${CMAKE_CURRENT_SOURCE_DIR}/wlr-virtual-pointer-unstable-v1.xml)
set(generated ${CMAKE_CURRENT_BINARY_DIR}/generated)
add_custom_command(
    OUTPUT ${generated}/wlr-virtual-pointer-unstable-v1-client-protocol.h
           ${generated}/wlr-virtual-pointer-unstable-v1-protocol.c
    COMMAND ${CMAKE_COMMAND} -E make_directory ${generated}
    COMMAND ${WAYLAND_SCANNER} client-header ${protocol} ${generated}/wlr-virtual-pointer-unstable-v1-client-protocol.h
    COMMAND ${WAYLAND_SCANNER} private-code ${protocol} ${generated}/wlr-virtual-pointer-unstable-v1-protocol.c
    DEPENDS ${protocol}
    VERBATIM)
# The generated glue is C.
enable_language(C)

add_executable(corvane-virtual-pointer virtual_pointer.cpp
    ${generated}/wlr-virtual-pointer-unstable-v1-client-protocol.h
    ${generated}/wlr-virtual-pointer-unstable-v1-protocol.c)
target_include_directories(corvane-virtual-pointer PRIVATE ${generated})
target_link_libraries(corvane-virtual-pointer PRIVATE PkgConfig::WAYLAND_CLIENT)
corvane_target_defaults(corvane-virtual-pointer)

# The item on waybar under headless sway, read over AT-SPI and clicked with the virtual pointer. Everything
# on that desktop runs as an unprivileged user, so the session copies the programs and scripts it runs.
add_test(NAME waybar_panel_test
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wayland-session
                 --bin $<TARGET_FILE:corvane-tray> --bin $<TARGET_FILE:corvane-virtual-pointer>
                 --bin ${PROJECT_SOURCE_DIR}/tests/support/glib_wait.py --bin ${PROJECT_SOURCE_DIR}/tests/support/corvane_run.py
                 --bin ${CMAKE_CURRENT_SOURCE_DIR}/panel_state.py --bin ${CMAKE_CURRENT_SOURCE_DIR}/waybar_test.py
                 -- waybar_test.py)
set_tests_properties(waybar_panel_test PROPERTIES TIMEOUT 120 LABELS "panels;desktop")

# The form on the same Wayland session: "form-visible" is a window sway shows.
add_test(NAME sway_form_test
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wayland-session
                 --bin $<TARGET_FILE:corvane-tray> --bin ${CMAKE_CURRENT_SOURCE_DIR}/sway_form_test.py
                 -- sway_form_test.py)
set_tests_properties(sway_form_test PROPERTIES TIMEOUT 60 LABELS "panels;desktop;form")
