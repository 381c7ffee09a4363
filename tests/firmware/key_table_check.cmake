# Runs the key table generation on KEY_FILE the way configuring the build does.
include(${SOURCE_DIR}/src/firmware/FirmwareKeys.cmake)
talvaro_firmware_key_table("${KEY_FILE}" "${SOURCE_DIR}/src/firmware/FirmwareKeyTable.cpp.in"
                           "${OUTPUT}")
file(STRINGS "${OUTPUT}" rows REGEX "^    {{0x")
list(LENGTH rows count)
message(STATUS "key table rows: ${count}")
