# The distribution's hardening flags (dpkg-buildflags, every hardening feature) for the
# optimised builds a package is made from. Sanitizer, fuzzing and debug builds keep their
# own flags: _FORTIFY_SOURCE needs optimisation.
set(TALVARO_DISTRIBUTION_FLAGS OFF)
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT DPKG_BUILDFLAGS OR TALVARO_SANITIZE OR TALVARO_FUZZ
   OR NOT CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo)$")
    return()
endif()

function(distribution_flags kind out)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                            ${DPKG_BUILDFLAGS} --get ${kind}
                    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE)
    separate_arguments(flags UNIX_COMMAND "${flags}")
    # Optimisation and debug information come with the build type; paths are mapped
    # below for the build folder as well.
    list(FILTER flags EXCLUDE REGEX "^(-g|-O[0-9s]?|-ffile-prefix-map=.*)$")
    set(${out} ${flags} PARENT_SCOPE)
endfunction()

distribution_flags(CPPFLAGS cppflags)
distribution_flags(CXXFLAGS cxxflags)
distribution_flags(LDFLAGS ldflags)
add_compile_options(${cppflags} ${cxxflags} -ffile-prefix-map=${PROJECT_SOURCE_DIR}=.
                    -ffile-prefix-map=${PROJECT_BINARY_DIR}=.)
add_link_options(${ldflags})
set(TALVARO_DISTRIBUTION_FLAGS ON)
