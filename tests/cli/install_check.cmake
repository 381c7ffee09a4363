# Installs the build into a temporary root (as a package would, prefix /usr) and checks
# that every file is where the system looks for it; with PACKAGE set, builds the Debian
# package and checks its dependencies and contents, and has lintian, desktop-file-validate
# and appstreamcli judge it. The programs of a package build (DISTRIBUTION_FLAGS, the
# distribution's flags) must hold no path of the source or build folder, and lintian
# must find neither errors nor warnings; other builds skip those two.
#   cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DWORK_DIR=... [-DPACKAGE=ON]
#         [-DDISTRIBUTION_FLAGS=ON] -P install_check.cmake

function(require condition message)
    if(NOT ${condition})
        message(FATAL_ERROR "${message}")
    endif()
endfunction()

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out
                    ERROR_VARIABLE err)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${ARGN} failed (${status}):\n${out}\n${err}")
    endif()
    set(run_output "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
set(expected
    usr/bin/talvaro
    usr/bin/talvaro-cli
    usr/bin/talvaro-sim
    usr/share/applications/talvaro.desktop
    usr/share/mime/packages/talvaro.xml
    usr/share/metainfo/de.brovenik.talvaro.metainfo.xml
    usr/share/man/man1/talvaro.1.gz
    usr/share/man/man1/talvaro-cli.1.gz
    usr/share/man/man1/talvaro-sim.1.gz
    usr/share/bash-completion/completions/talvaro-cli
    usr/share/doc/talvaro/copyright
    usr/share/doc/talvaro/changelog.Debian.gz
    usr/share/icons/hicolor/scalable/apps/talvaro.svg
    usr/share/talvaro/demo-typ5.efw
    usr/share/talvaro/demo-typ6.efw
    usr/share/talvaro/demo-typ7.efw
    etc/xdg/Brovenik/Talvaro.conf)

if(NOT PACKAGE)
    set(root ${WORK_DIR}/root)
    run(${CMAKE_COMMAND} -E env DESTDIR=${root} ${CMAKE_COMMAND} --install ${BUILD_DIR}
        --prefix /usr)
    foreach(file IN LISTS expected)
        require("EXISTS;${root}/${file}" "not installed: ${file}")
    endforeach()
    # The menu entry names the icon and the program that were installed.
    file(READ ${root}/usr/share/applications/talvaro.desktop desktop)
    require("desktop;MATCHES;\nExec=talvaro %f\n" "desktop entry does not pass its file")
    string(FIND "${desktop}"
           "\nMimeType=application/x-talvaro-config;application/x-talvaro-firmware;\n" types)
    require("types;GREATER;-1" "desktop entry does not declare the file types")
    require("desktop;MATCHES;\nIcon=talvaro\n" "desktop entry names another icon")
    file(READ ${root}/etc/xdg/Brovenik/Talvaro.conf conf)
    require("conf;MATCHES;^\\[General\\]" "settings default without its group")
    run(bash -n ${root}/usr/share/bash-completion/completions/talvaro-cli)
    # The installed tools run and accept the installed demo firmware.
    run(${root}/usr/bin/talvaro-cli firmware check ${root}/usr/share/talvaro/demo-typ6.efw)
    require("run_output;STREQUAL;Gerätetyp 6 (Quenta 26)\n" "demo firmware: ${run_output}")
    return()
endif()

find_program(DPKG_DEB dpkg-deb)
find_program(DPKG_SHLIBDEPS dpkg-shlibdeps)
if(NOT DPKG_DEB OR NOT DPKG_SHLIBDEPS)
    message("dpkg-deb or dpkg-shlibdeps (package dpkg-dev) missing: skipped")
    return()
endif()
run(cpack -G DEB -B ${WORK_DIR} --config ${BUILD_DIR}/CPackConfig.cmake)
file(GLOB debs ${WORK_DIR}/talvaro_*.deb)
list(LENGTH debs count)
require("count;EQUAL;1" "expected one package, found: ${debs}")
run(${DPKG_DEB} --field ${debs} Package Depends)
foreach(dependency IN ITEMS libqt6serialport6 libqt6printsupport6 libqt6widgets6 fonts-liberation)
    require("run_output;MATCHES;${dependency}" "package does not depend on ${dependency}")
endforeach()
run(${DPKG_DEB} --contents ${debs})
foreach(file IN LISTS expected)
    require("run_output;MATCHES; \\./${file}\n" "not in the package: ${file}")
endforeach()
run(${DPKG_DEB} --info ${debs} conffiles)
require("run_output;STREQUAL;/etc/xdg/Brovenik/Talvaro.conf\n" "settings default is no conffile")
run(${DPKG_DEB} --field ${debs} Version Depends)
require("run_output;MATCHES;^Version: [0-9.]+-[0-9]+\n" "no Debian revision: ${run_output}")
require("run_output;MATCHES;qt6-translations-l10n" "no dependency on Qt's translations")

set(root ${WORK_DIR}/contents)
run(${DPKG_DEB} -x ${debs} ${root})
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
    run(${DESKTOP_FILE_VALIDATE} ${root}/usr/share/applications/talvaro.desktop)
    if(run_output MATCHES "(error|warning):")
        message(FATAL_ERROR "desktop-file-validate: ${run_output}")
    endif()
else()
    message("desktop-file-validate (package desktop-file-utils) missing: skipped")
endif()
find_program(APPSTREAMCLI appstreamcli)
if(APPSTREAMCLI)
    run(${APPSTREAMCLI} validate --no-net --no-color
        ${root}/usr/share/metainfo/de.brovenik.talvaro.metainfo.xml)
else()
    message("appstreamcli (package appstream) missing: skipped")
endif()

if(NOT DISTRIBUTION_FLAGS)
    message("not built with the distribution's flags: lintian and the path check skipped")
    return()
endif()
foreach(program IN ITEMS talvaro talvaro-cli talvaro-sim)
    foreach(folder IN ITEMS ${BUILD_DIR} ${SOURCE_DIR})
        file(STRINGS ${root}/usr/bin/${program} paths REGEX "${folder}")
        if(paths)
            message(FATAL_ERROR "${program} holds a path of ${folder}: ${paths}")
        endif()
    endforeach()
endforeach()
find_program(LINTIAN lintian)
if(NOT LINTIAN)
    message("lintian missing: skipped")
    return()
endif()
# Informational tags may stay; errors and warnings fail.
execute_process(COMMAND ${LINTIAN} --fail-on error,warning --info ${debs}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("lintian:\n${out}${err}")
require("status;EQUAL;0" "lintian found errors or warnings")
