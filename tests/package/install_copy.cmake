# SPDX-License-Identifier: MIT
# Installs the build tree into a fresh PREFIX and runs the installed tool once (when built; through
# the EMULATOR of a cross build), which finds the installed library through its relative run path,
# through LIBRARY_PATH when it has none, or beside it on Windows.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
    --config "${CONFIG}" OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
if(TOOL)
    if(LIBRARY_PATH)
        set(ENV{LD_LIBRARY_PATH} "${LIBRARY_PATH}")
    endif()
    execute_process(COMMAND ${EMULATOR} "${PREFIX}/${BINDIR}/reuseblocks${SUFFIX}" --version
        OUTPUT_VARIABLE version COMMAND_ERROR_IS_FATAL ANY)
    if(NOT version MATCHES "^reuseblocks ${EXPECTED_VERSION}\r?\n$")
        message(FATAL_ERROR "installed tool says '${version}'")
    endif()
endif()
