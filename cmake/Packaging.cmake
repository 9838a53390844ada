# Manual pages, and the Debian packages that scripts/package makes with cpack from the release build:
#   corvane-tray      (component runtime)  the program, its icon and its manual page
#   corvane-demo      (component demo)     the demo controller and its manual page
#   corvane-tray-doc  (component doc)      README, docs/*.md and the JSON Schemas
# The version of every package is the project's. Each package carries its copyright file and changelog in
# /usr/share/doc/<package>/; those rules are EXCLUDE_FROM_ALL, so a plain `cmake --install` leaves them out
# while cpack, which installs one component at a time, puts them in.

set(CORVANE_PACKAGE_MAINTAINER "CorvaneTray maintainers <maintainers@users.noreply.c-seed-b20b0fdc.example>"
    CACHE STRING "Maintainer field of the Debian packages and their changelog")

# Manual pages and changelogs are gzipped at configure time (gzip -n: no name, no time stamp in the header),
# so that cpack needs nothing built beyond the programs.
function(corvane_gzipped_copy template output)
    configure_file(${template} ${output} @ONLY)
    execute_process(COMMAND gzip -9nkf ${output} RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "gzip ${output} failed: ${status}")
    endif()
endfunction()

set(corvane_generated ${PROJECT_BINARY_DIR}/packaging)
set(corvane_programs corvane-tray corvane-demo)
set(corvane_program_components runtime demo)
foreach(program component IN ZIP_LISTS corvane_programs corvane_program_components)
    corvane_gzipped_copy(${PROJECT_SOURCE_DIR}/docs/man/${program}.1.in ${corvane_generated}/man/${program}.1)
    install(FILES ${corvane_generated}/man/${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
            COMPONENT ${component})
endforeach()

corvane_gzipped_copy(${PROJECT_SOURCE_DIR}/packaging/deb/changelog.in ${corvane_generated}/changelog)
set(corvane_packages corvane-tray corvane-demo corvane-tray-doc)
set(corvane_package_components runtime demo doc)
foreach(package component IN ZIP_LISTS corvane_packages corvane_package_components)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/deb/copyright ${corvane_generated}/changelog.gz
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component} EXCLUDE_FROM_ALL)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvane-tray)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${CORVANE_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                                WORLD_READ WORLD_EXECUTE)
set(CPACK_COMPONENTS_ALL runtime demo doc)
set(CPACK_DEB_COMPONENT_INSTALL ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_SOURCE corvane-tray)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

# dpkg-shlibdeps finds the libraries the program links; these are the pieces Qt and the form load at run
# time: the xcb platform plugin, the CJK font for the Chinese texts, and the Wayland plugin where there is
# a Wayland session.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME corvane-tray)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-noto-cjk")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SUGGESTS "corvane-tray-doc")
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION
    "desktop user interface of Corvane, driven over JSON lines
CorvaneTray is the desktop user-interface process of Corvane. A controller
process starts it, writes JSON lines to its standard input and reads the JSON
event lines it writes to standard output. It shows a tray item whose icon,
tooltip and menu the controller sets, an Access Key form and a folder
chooser, and reports what the user did.")

set(CPACK_DEBIAN_DEMO_PACKAGE_NAME corvane-demo)
set(CPACK_DEBIAN_DEMO_PACKAGE_DEPENDS "corvane-tray (= ${PROJECT_VERSION})")
set(CPACK_COMPONENT_DEMO_DESCRIPTION
    "demo controller for corvane-tray
corvane-demo starts corvane-tray processes as Corvane's controller would and
prints every line they exchange: interactively on a desktop, or unattended,
playing a whole scripted session by itself.")

set(CPACK_DEBIAN_DOC_PACKAGE_NAME corvane-tray-doc)
set(CPACK_DEBIAN_DOC_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_DOC_PACKAGE_SECTION doc)
set(CPACK_DEBIAN_DOC_PACKAGE_SHLIBDEPS OFF)
set(CPACK_COMPONENT_DOC_DESCRIPTION
    "documentation and JSON Schemas of the corvane-tray protocol
The controller protocol of corvane-tray (launching, every message and event,
limits, order of events, ending), its architecture and reliability notes,
and JSON Schemas (draft 2020-12) of the lines a controller exchanges with it.")

include(CPack)
