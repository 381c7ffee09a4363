# Reads a firmware key file and writes the key table the library is built with.
# Each line: TYPE KEYHEX IVHEX SIGHEX (type 0-7, 64/32/8 hex digits); "#" starts a
# comment, blank lines are ignored. Every type must appear exactly once.

function(_talvaro_key_error file line_no text)
    message(FATAL_ERROR "Firmware key file ${file}, line ${line_no}: ${text}\n"
                        "Fix the file or set TALVARO_FIRMWARE_KEYS to a valid key file.")
endfunction()

# "0A1B..." -> "0x0A, 0x1B, ..."
function(_talvaro_hex_to_bytes hex out)
    string(REGEX REPLACE "([0-9A-Fa-f][0-9A-Fa-f])" "0x\\1, " bytes "${hex}")
    string(REGEX REPLACE ", $" "" bytes "${bytes}")
    set(${out} "${bytes}" PARENT_SCOPE)
endfunction()

function(talvaro_firmware_key_table key_file template output)
    if(NOT EXISTS "${key_file}" OR IS_DIRECTORY "${key_file}")
        message(FATAL_ERROR "Firmware key file not found: ${key_file}\n"
                            "Set TALVARO_FIRMWARE_KEYS to a key file (TYPE KEY IV SIGNATURE).")
    endif()
    file(READ "${key_file}" content)
    # A semicolon would split the list below; no valid line contains one.
    string(REPLACE ";" "?" content "${content}")
    string(REPLACE "\r" "" content "${content}")
    string(REPLACE "\n" ";" lines "${content}")

    set(line_no 0)
    foreach(line IN LISTS lines)
        math(EXPR line_no "${line_no} + 1")
        string(REGEX REPLACE "#.*$" "" line "${line}")
        string(STRIP "${line}" line)
        if(line STREQUAL "")
            continue()
        endif()
        if(NOT line MATCHES
           "^([0-9]+)[ \t]+([0-9A-Fa-f]+)[ \t]+([0-9A-Fa-f]+)[ \t]+([0-9A-Fa-f]+)$")
            _talvaro_key_error("${key_file}" ${line_no}
                               "expected TYPE KEYHEX IVHEX SIGHEX, got \"${line}\"")
        endif()
        set(type "${CMAKE_MATCH_1}")
        set(key "${CMAKE_MATCH_2}")
        set(iv "${CMAKE_MATCH_3}")
        set(sig "${CMAKE_MATCH_4}")
        if(type GREATER 7)
            _talvaro_key_error("${key_file}" ${line_no} "device type ${type} is not 0 to 7")
        endif()
        if(DEFINED _key_${type})
            _talvaro_key_error("${key_file}" ${line_no} "device type ${type} appears twice")
        endif()
        foreach(field IN ITEMS "key:64:${key}" "initialisation vector:32:${iv}"
                               "signature:8:${sig}")
            string(REPLACE ":" ";" parts "${field}")
            list(GET parts 0 name)
            list(GET parts 1 digits)
            list(GET parts 2 value)
            string(LENGTH "${value}" length)
            if(NOT length EQUAL digits)
                _talvaro_key_error("${key_file}" ${line_no}
                                   "${name} of type ${type} has ${length} hex digits, not ${digits}")
            endif()
        endforeach()
        _talvaro_hex_to_bytes("${key}" _key_${type})
        _talvaro_hex_to_bytes("${iv}" _iv_${type})
        _talvaro_hex_to_bytes("${sig}" _sig_${type})
    endforeach()

    set(FIRMWARE_KEY_ROWS "")
    set(FIRMWARE_IV_ROWS "")
    set(FIRMWARE_SIGNATURE_ROWS "")
    foreach(type RANGE 7)
        if(NOT DEFINED _key_${type})
            message(FATAL_ERROR "Firmware key file ${key_file}: no line for device type ${type}.\n"
                                "Every device type 0 to 7 needs a key set.")
        endif()
        string(APPEND FIRMWARE_KEY_ROWS "    {{${_key_${type}}}},\n")
        string(APPEND FIRMWARE_IV_ROWS "    {{${_iv_${type}}}},\n")
        string(APPEND FIRMWARE_SIGNATURE_ROWS "    {{${_sig_${type}}}},\n")
    endforeach()
    configure_file("${template}" "${output}" @ONLY)
endfunction()
