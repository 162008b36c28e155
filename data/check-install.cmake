# SPDX-License-Identifier: GPL-3.0-or-later
# Stages `cmake --install` of BUILD_DIR under STAGE with the prefix /usr, checks that every file
# is where a desktop looks for it and that the launcher starts in the map's folder, and runs
# desktop-file-validate and appstreamcli validate on the launcher and the AppStream file; then
# builds the Debian package with CPack, checks its dependency fields and that its change log and
# AppStream release name its version, and runs lintian on it: nothing may be reported.
# cmake -DBUILD_DIR=... -DSTAGE=... -DAPP_ID=... -DDESKTOP_FILE_VALIDATE=... -DAPPSTREAMCLI=...
#       -DLINTIAN=... -P check-install.cmake
cmake_minimum_required(VERSION 3.25)

foreach(tool DESKTOP_FILE_VALIDATE APPSTREAMCLI LINTIAN)
    if(NOT ${tool})
        message("SKIPPED: ${tool} not found (Debian: desktop-file-utils, appstream, lintian)")
        return()
    endif()
endforeach()

file(REMOVE_RECURSE "${STAGE}")
execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${STAGE}
                        ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /usr
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(result)
    message(FATAL_ERROR "cmake --install failed:\n${output}")
endif()

set(root "${STAGE}/usr")
set(launcher "${root}/share/applications/${APP_ID}.desktop")
set(metainfo "${root}/share/metainfo/${APP_ID}.metainfo.xml")
# The executable looks for its sound module at this same place relative to its own folder.
foreach(file bin/meridex
             ${SOUND_MODULE_DIR}/meridex-sound.so
             share/meridex/TimeZoneMap.jpg
             share/icons/hicolor/scalable/apps/${APP_ID}.svg
             share/applications/${APP_ID}.desktop
             share/metainfo/${APP_ID}.metainfo.xml
             share/man/man1/meridex.1.gz
             share/doc/meridex/copyright
             share/doc/meridex/changelog.Debian.gz)
    if(NOT EXISTS "${root}/${file}")
        message(FATAL_ERROR "not installed: /usr/${file}")
    endif()
endforeach()

file(STRINGS "${launcher}" lines)
foreach(expected "Exec=meridex" "Path=/usr/share/meridex" "Icon=${APP_ID}")
    if(NOT expected IN_LIST lines)
        message(FATAL_ERROR "${launcher} lacks the line ${expected}")
    endif()
endforeach()

function(validate)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output
                    ERROR_VARIABLE output)
    message("${ARGN}:\n${output}")
    if(result OR output MATCHES "(error|warning):")
        message(FATAL_ERROR "validation failed")
    endif()
endfunction()
validate(${DESKTOP_FILE_VALIDATE} ${launcher})
validate(${APPSTREAMCLI} validate --no-net --no-color ${metainfo})

# The package as CPack builds it: what starting needs is a dependency (the X11 platform plug-in
# comes with libqt6gui6), the Wayland plug-in a recommendation.
execute_process(COMMAND ${CMAKE_CPACK_COMMAND} --config ${BUILD_DIR}/CPackConfig.cmake
                        -B ${STAGE}/package)
file(GLOB package "${STAGE}/package/*.deb")
execute_process(COMMAND dpkg-deb -f ${package} Depends Recommends OUTPUT_VARIABLE fields)
if(NOT fields MATCHES "^Depends:[^\n]* libqt6gui6[^\n]*\nRecommends:[^\n]* qt6-wayland")
    message(FATAL_ERROR "no libqt6gui6 or qt6-wayland in the package's fields:\n${fields}")
endif()

# The version the package carries, in its change log's newest entry and in the AppStream file's
# newest release (there without the package's revision, "-1").
execute_process(COMMAND dpkg-deb -f ${package} Version OUTPUT_VARIABLE version
                OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND gzip -dc ${root}/share/doc/meridex/changelog.Debian.gz
                OUTPUT_VARIABLE changelog)
string(REGEX MATCH "^[^\n]*" newest "${changelog}")
string(REPLACE "." "\\." version_pattern "${version}")
if(NOT newest MATCHES "^meridex \\(${version_pattern}\\) ")
    message(FATAL_ERROR "the change log's newest entry is not the package's version ${version}:"
                        "\n${newest}")
endif()
file(READ "${metainfo}" appstream)
string(REGEX REPLACE "-[^-]*$" "" upstream "${version_pattern}")
if(NOT appstream MATCHES "<releases>[ \n]*<release version=\"${upstream}\"")
    message(FATAL_ERROR "the newest release in ${metainfo} is not ${upstream}")
endif()

# The copyright file names the program's licence and the map's.
file(READ "${root}/share/doc/meridex/copyright" copyright)
foreach(expected "Files: \\*\nCopyright: [^\n]*\nLicense: GPL-3.0-or-later\n"
                 "Files: assets/TimeZoneMap.jpg\n.*License: LGPL-3.0-or-later\n")
    if(NOT copyright MATCHES "${expected}")
        message(FATAL_ERROR "the copyright file lacks ${expected}")
    endif()
endforeach()

# Debian's own checks of the package. They report on standard output; standard error only says
# that a run as root is not recommended.
execute_process(COMMAND ${LINTIAN} --fail-on error,warning ${package}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
message("lintian ${package}:\n${output}${errors}")
if(result OR NOT output STREQUAL "")
    message(FATAL_ERROR "lintian reported on the package")
endif()
