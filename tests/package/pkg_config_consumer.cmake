# SPDX-License-Identifier: MIT
# Compiles the consumer with the flags pkg-config gives for the installed PREFIX (--static for a
# static build), and runs it (through a cross build's EMULATOR, beside the installed DLLs).
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
set(ENV{PKG_CONFIG_PATH} "${PC_DIR}")
if(STATIC)
    set(static_flags --static)
    set(expect_static -DEXPECT_STATIC)
endif()
execute_process(COMMAND "${PKG_CONFIG}" ${static_flags} --cflags --libs reuseblocks
    OUTPUT_VARIABLE pc_flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
separate_arguments(pc_flags UNIX_COMMAND "${pc_flags}")
separate_arguments(extra_flags UNIX_COMMAND "${CXX_FLAGS} ${LINKER_FLAGS}")
execute_process(COMMAND "${CXX_COMPILER}" -std=c++17 ${extra_flags} ${expect_static} "${SOURCE}" ${pc_flags}
    -o "${WORK_DIR}/consumer" COMMAND_ERROR_IS_FATAL ANY)
set(ENV{LD_LIBRARY_PATH} "${LIB_DIR}")
file(GLOB dlls "${DLL_DIR}/*.dll")
if(dlls)
    file(COPY ${dlls} DESTINATION "${WORK_DIR}")
endif()
execute_process(COMMAND ${EMULATOR} "${WORK_DIR}/consumer${SUFFIX}"
    "${PATH_PREFIX}${WORK_DIR}/written.blocks" COMMAND_ERROR_IS_FATAL ANY)
