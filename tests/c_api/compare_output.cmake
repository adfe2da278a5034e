# SPDX-License-Identifier: MIT
# Runs one caller of the C interface and compares what it prints with the expected lines:
#   cmake -DCOMMAND=prog;args -DEXPECTED=file -DWORK_DIR=dir -P compare_output.cmake
# Line ends are compared without their carriage returns, which Windows programs print.
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
execute_process(COMMAND ${COMMAND} RESULT_VARIABLE status OUTPUT_VARIABLE output
    ERROR_VARIABLE errors)
string(REPLACE "\r\n" "\n" output "${output}")
file(READ "${EXPECTED}" expected)
if(NOT status EQUAL 0 OR NOT output STREQUAL expected)
    file(WRITE "${WORK_DIR}/actual.txt" "${output}")
    message(FATAL_ERROR "the caller exited with ${status} and printed\n${output}\n${errors}\n"
        "expected (${EXPECTED}):\n${expected}")
endif()
