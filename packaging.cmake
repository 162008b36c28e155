# SPDX-License-Identifier: GPL-3.0-or-later
# Installation where a Linux desktop looks for things, and a Debian package built by CPack:
#   bin/meridex
#   lib/<arch>/meridex/meridex-sound.so                   the sound player, loaded on first use
#   share/meridex/TimeZoneMap.jpg                        the map, read from the working folder
#   share/applications/<id>.desktop                      launcher, working folder = share/meridex
#   share/icons/hicolor/scalable/apps/<id>.svg
#   share/metainfo/<id>.metainfo.xml                     AppStream
include(GNUInstallDirs)

set(MERIDEX_APP_ID io.github.meridex_clock.Meridex)
set(MERIDEX_PROJECT_LICENSE "" CACHE STRING
    "SPDX licence expression of Meridex for the AppStream metadata (left out when empty)")

set(meridex_data ${CMAKE_CURRENT_LIST_DIR}/data)
set(meridex_generated ${CMAKE_CURRENT_BINARY_DIR}/data)

install(TARGETS meridex RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS meridex_sound_module LIBRARY DESTINATION ${MERIDEX_SOUND_MODULE_INSTALL_DIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/assets/TimeZoneMap.jpg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/meridex)
install(FILES ${meridex_data}/${MERIDEX_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The launcher's working folder must name the map's folder under the prefix the files are
# installed to, which CPack changes after configuring; so the launcher is written at install
# time. DESTDIR is not part of it: that is where a package is staged, not where it runs.
if(IS_ABSOLUTE "${CMAKE_INSTALL_DATADIR}")
    set(meridex_map_dir "${CMAKE_INSTALL_DATADIR}/meridex")
else()
    set(meridex_map_dir "\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/meridex")
endif()
install(CODE "
    set(MERIDEX_MAP_DIR \"${meridex_map_dir}\")
    file(READ \"${meridex_data}/${MERIDEX_APP_ID}.desktop.in\" launcher)
    string(CONFIGURE \"\${launcher}\" launcher @ONLY)
    file(WRITE \"${meridex_generated}/${MERIDEX_APP_ID}.desktop\" \"\${launcher}\")
")
install(FILES ${meridex_generated}/${MERIDEX_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

if(MERIDEX_PROJECT_LICENSE)
    set(MERIDEX_LICENSE_ELEMENT "  <project_license>${MERIDEX_PROJECT_LICENSE}</project_license>")
else()
    set(MERIDEX_LICENSE_ELEMENT "")
endif()
configure_file(${meridex_data}/${MERIDEX_APP_ID}.metainfo.xml.in
               ${meridex_generated}/${MERIDEX_APP_ID}.metainfo.xml @ONLY)
install(FILES ${meridex_generated}/${MERIDEX_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Installs the build into a scratch folder and runs the desktop's own validators on it.
if(BUILD_TESTING)
    find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
    find_program(APPSTREAMCLI appstreamcli)
    add_test(NAME install_validate
             COMMAND ${CMAKE_COMMAND}
                     -DBUILD_DIR=${CMAKE_BINARY_DIR}
                     -DSTAGE=${CMAKE_CURRENT_BINARY_DIR}/install-check
                     -DAPP_ID=${MERIDEX_APP_ID}
                     -DSOUND_MODULE_DIR=${MERIDEX_SOUND_MODULE_INSTALL_DIR}
                     -DDESKTOP_FILE_VALIDATE=${DESKTOP_FILE_VALIDATE}
                     -DAPPSTREAMCLI=${APPSTREAMCLI}
                     -P ${meridex_data}/check-install.cmake)
    set_tests_properties(install_validate PROPERTIES LABELS install TIMEOUT 120
                         SKIP_REGULAR_EXPRESSION "SKIPPED:")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME meridex)
set(CPACK_PACKAGE_VENDOR "The Meridex project")
set(CPACK_PACKAGE_CONTACT "The Meridex project <meridex@users.noreply.github.com>")
set(CPACK_PACKAGE_HOMEPAGE_URL https://github.com/meridex-clock/meridex)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop clock: local time and another time zone side by side")
set(CPACK_PACKAGE_DESCRIPTION "\
Meridex shows the local time and the time of one other zone side by side, each with
its date and its own 24-hour, daylight-saving and half-hour options. Named setups
carry an alarm that plays a WAV file; the window comes in three sizes, can stay
above other windows and opens a scrollable map of the world's time zones.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The Qt and C++ libraries come from dpkg-shlibdeps; the Qt plug-ins Meridex needs at run time
# (xcb, JPEG, multimedia) ship in those same library packages: Debian 12 puts the X11 platform
# plug-in in libqt6gui6, not in qt6-qpa-plugins (VNC and TUIO only). The fonts the program asks
# for are mapped to Liberation's, which nothing links against. The Wayland plug-in is a package
# of its own: without it, a Wayland desktop that offers no X display could not show the clock.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse, qt6-wayland")
include(CPack)
