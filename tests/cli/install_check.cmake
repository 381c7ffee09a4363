# Installs the build into a temporary root (as a package would, prefix /usr) and checks
# that every file is where the system looks for it; with PACKAGE set, builds the Debian
# package, checks its dependencies and contents and has desktop-file-validate and
# appstreamcli judge it; built with the distribution's flags (DISTRIBUTION_FLAGS), its
# programs must hold no path of the source or build folder and lintian must pass it.
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
run(${DPKG_DEB} --field ${debs} Version Depends)
require("run_output;MATCHES;^Version: [0-9.]+-[0-9]+\n" "no Debian revision: ${run_output}")
foreach(dependency IN ITEMS libqt6serialport6 libqt6printsupport6 libqt6widgets6 libqt6sql6
                            libqt6sql6-sqlite fonts-liberation qt6-translations-l10n)
    require("run_output;MATCHES;${dependency}" "package does not depend on ${dependency}")
endforeach()
run(${DPKG_DEB} --contents ${debs})
foreach(file IN LISTS expected)
    require("run_output;MATCHES; \\./${file}\n" "not in the package: ${file}")
endforeach()
run(${DPKG_DEB} --info ${debs} conffiles)
require("run_output;STREQUAL;/etc/xdg/Brovenik/Talvaro.conf\n" "settings default is no conffile")

# Runs a validator on the unpacked package, skipped with a message where it is missing.
function(validate tool package)
    find_program(found_${tool} ${tool})
    if(NOT found_${tool})
        message("${tool} (package ${package}) missing: skipped")
        return()
    endif()
    run(${found_${tool}} ${ARGN})
    if(run_output MATCHES "(error|warning):")
        message(FATAL_ERROR "${tool}: ${run_output}")
    endif()
endfunction()
set(root ${WORK_DIR}/contents)
run(${DPKG_DEB} -x ${debs} ${root})
validate(desktop-file-validate desktop-file-utils ${root}/usr/share/applications/talvaro.desktop)
validate(appstreamcli appstream validate --no-net --no-color
         ${root}/usr/share/metainfo/de.brovenik.talvaro.metainfo.xml)

if(NOT DISTRIBUTION_FLAGS)
    message("not built with the distribution's flags: lintian and the path check skipped")
    return()
endif()
foreach(program IN ITEMS talvaro talvaro-cli talvaro-sim)
    file(STRINGS ${root}/usr/bin/${program} paths REGEX "${BUILD_DIR}|${SOURCE_DIR}")
    if(paths)
        message(FATAL_ERROR "${program} holds a path of the source or build folder: ${paths}")
    endif()
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
