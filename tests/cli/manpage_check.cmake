# Checks a manual page against its program's --help: every option the program lists
# must be documented, and with COMMANDS every command of its "Befehle:" list must have
# a ".SS" section that documents the command's own options (or the page's OPTIONS do).
# A new option or command fails this check until the page describes it.
#   cmake -DPROGRAM=... -DPAGE=... [-DCOMMANDS=ON] -P manpage_check.cmake

function(help_of out)
    execute_process(COMMAND ${PROGRAM} ${ARGN} --help RESULT_VARIABLE status
                    OUTPUT_VARIABLE text ERROR_VARIABLE err)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${PROGRAM} ${ARGN} --help failed (${status}): ${err}")
    endif()
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# "-o", "--type", "--no-name" wherever the help names them.
function(options_in text out)
    # Brackets would hold a CMake list together: "[--yes]" counts as " --yes ".
    string(REGEX REPLACE "[][]" " " text "${text}")
    string(REGEX MATCHALL "[ ,(\n]--?[a-zA-Z][-a-zA-Z0-9]*" found "\n${text}")
    list(TRANSFORM found REPLACE "^[ ,(\n]" "")
    list(REMOVE_DUPLICATES found)
    set(${out} "${found}" PARENT_SCOPE)
endfunction()

# Adds `what` to the list `missing` unless `text` names `option` as a word of its own.
function(check_documented text option what)
    if(NOT "\n${text}\n" MATCHES "[^-a-zA-Z0-9]${option}[^-a-zA-Z0-9]")
        set(missing ${missing} "${what}" PARENT_SCOPE)
    endif()
endfunction()

# The text of the section that starts with `heading` (".SH NAME", ".SS show"), up to
# the next heading; empty if the page has no such section.
function(section_of text heading out)
    string(REPLACE "." "\\." heading "${heading}")
    set(section "")
    if("${text}" MATCHES "\n(${heading}[ \n].*)")
        string(REGEX REPLACE "\n\\.S[HS] .*" "" section "${CMAKE_MATCH_1}")
    endif()
    set(${out} "${section}" PARENT_SCOPE)
endfunction()

file(READ ${PAGE} page)
# The roff markup around the words: fonts, escaped dashes, quotes of headings.
string(REGEX REPLACE "\\\\f[BIRP]" "" page "${page}")
string(REPLACE "\\-" "-" page "${page}")
string(REPLACE "\\&" "" page "${page}")
string(REGEX REPLACE "\n(\\.S[HS]) \"([^\n\"]*)\"" "\n\\1 \\2" page "${page}")
get_filename_component(name ${PAGE} NAME)
section_of("${page}" ".SH OPTIONS" general)

set(missing)
help_of(help)
options_in("${help}" options)
foreach(option IN LISTS options)
    check_documented("${page}" ${option} "option ${option}")
endforeach()

if(COMMANDS)
    string(REGEX REPLACE ".*\nBefehle:\n" "" list "${help}")
    string(REGEX REPLACE "\n\n.*" "" list "${list}")
    string(REPLACE "\n" ";" lines "${list}")
    # The command's words come before its first argument or option.
    list(TRANSFORM lines REPLACE "^ +([a-z][-a-z]*( [a-z][-a-z]*)*).*" "\\1"
         OUTPUT_VARIABLE commands)
    list(REMOVE_DUPLICATES commands)
    if(NOT commands)
        message(FATAL_ERROR "no commands found in the help:\n${help}")
    endif()
    foreach(command IN LISTS commands)
        section_of("${page}" ".SS ${command}" section)
        if(NOT section)
            list(APPEND missing "command \"${command}\" (no .SS section)")
            continue()
        endif()
        string(REPLACE " " ";" words "${command}")
        help_of(command_help ${words})
        options_in("${command_help}" command_options)
        foreach(option IN LISTS command_options)
            check_documented("${section}\n${general}" ${option}
                             "option ${option} of \"${command}\"")
        endforeach()
    endforeach()
endif()

if(missing)
    list(JOIN missing "\n  " missing)
    message(FATAL_ERROR "${name} does not document:\n  ${missing}")
endif()
message("${name}: every command and option of ${PROGRAM} --help documented")
