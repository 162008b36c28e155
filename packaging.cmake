# SPDX-License-Identifier: GPL-3.0-or-later
# Installation where a Linux desktop looks for things, and a Debian package built by CPack:
#   bin/meridex
#   lib/<arch>/meridex/meridex-sound.so                   the sound player, loaded on first use
#   share/man/man1/meridex.1.gz                          the manual page
#   share/doc/meridex/{copyright,changelog.Debian.gz}    the licences and the package's changes
#   share/lintian/overrides/meridex                      what lintian may leave unsaid, and why
#   share/meridex/TimeZoneMap.jpg                        the map, read from the working folder
#   share/applications/<id>.desktop                      launcher, working folder = share/meridex
#   share/icons/hicolor/scalable/apps/<id>.svg
#   share/metainfo/<id>.metainfo.xml                     AppStream
include(GNUInstallDirs)

set(MERIDEX_APP_ID io.github.meridex_clock.Meridex)

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

configure_file(${meridex_data}/${MERIDEX_APP_ID}.metainfo.xml.in
               ${meridex_generated}/${MERIDEX_APP_ID}.metainfo.xml @ONLY)
install(FILES ${meridex_generated}/${MERIDEX_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The manual page and the package's change log, compressed as Debian wants them: gzip -9n, which
# leaves out the file's name and time so that two builds give the same bytes. The documents go
# under the package's name (GNUInstallDirs' DOCDIR would take the project's, "Meridex").
set(meridex_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/meridex)
foreach(pair "meridex.1|${CMAKE_INSTALL_MANDIR}/man1/meridex.1.gz"
             "debian/changelog|${meridex_doc_dir}/changelog.Debian.gz")
    string(REPLACE "|" ";" pair "${pair}")
    list(GET pair 0 source)
    list(GET pair 1 destination)
    get_filename_component(name "${destination}" NAME)
    get_filename_component(folder "${destination}" DIRECTORY)
    install(CODE "
        execute_process(COMMAND gzip -9n INPUT_FILE \"${meridex_data}/${source}\"
                        OUTPUT_FILE \"${meridex_generated}/${name}\" RESULT_VARIABLE failed)
        if(failed)
            message(FATAL_ERROR \"gzip failed on ${meridex_data}/${source}\")
        endif()
    ")
    install(FILES ${meridex_generated}/${name} DESTINATION ${folder})
endforeach()
install(FILES ${meridex_data}/debian/copyright DESTINATION ${meridex_doc_dir})
install(FILES ${meridex_data}/debian/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME meridex)

# Installs the build into a scratch folder and runs the desktop's own validators on it.
if(BUILD_TESTING)
    find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
    find_program(APPSTREAMCLI appstreamcli)
    find_program(LINTIAN lintian)
    add_test(NAME install_validate
             COMMAND ${CMAKE_COMMAND}
                     -DBUILD_DIR=${CMAKE_BINARY_DIR}
                     -DSTAGE=${CMAKE_CURRENT_BINARY_DIR}/install-check
                     -DAPP_ID=${MERIDEX_APP_ID}
                     -DSOUND_MODULE_DIR=${MERIDEX_SOUND_MODULE_INSTALL_DIR}
                     -DDESKTOP_FILE_VALIDATE=${DESKTOP_FILE_VALIDATE}
                     -DAPPSTREAMCLI=${APPSTREAMCLI}
                     -DLINTIAN=${LINTIAN}
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
# Debian shows the description in 80 columns: each line of it stays within 79 characters.
set(CPACK_PACKAGE_DESCRIPTION "\
Meridex shows the local time and the time of one other zone side by side, each
with its date and its own 24-hour, daylight-saving and half-hour options. Named
setups carry an alarm that plays a WAV file; the window comes in three sizes,
can stay above other windows and opens a scrollable map of the world's time
zones.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The first package of this version: its changes are in data/debian/changelog, whose newest
# entry names the same version.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
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
