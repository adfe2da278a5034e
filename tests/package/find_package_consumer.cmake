# SPDX-License-Identifier: MIT
# Configures, builds and runs the consumer project against the installed PREFIX, with the
# generator, toolchain, compiler and flags of the enclosing build; a cross build's programs run
# through its EMULATOR, beside the installed DLLs as a Windows host ships them.
file(REMOVE_RECURSE "${WORK_DIR}")
# A cross toolchain looks for packages under its own root only: it is shown the package itself.
if(TOOLCHAIN_FILE)
    set(toolchain "-DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN_FILE}" "-Dreuseblocks_DIR=${PACKAGE_DIR}")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" -S "${SOURCE_DIR}" -B "${WORK_DIR}" -G "${GENERATOR}"
    ${toolchain} "-DCMAKE_MAKE_PROGRAM=${MAKE_PROGRAM}" "-DCMAKE_CXX_COMPILER=${CXX_COMPILER}"
    "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${LINKER_FLAGS}"
    "-DCMAKE_BUILD_TYPE=${CONFIG}" "-DCMAKE_PREFIX_PATH=${PREFIX}" -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
    "-DEXPECT_STATIC=${EXPECT_STATIC}"
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${WORK_DIR}" --config "${CONFIG}"
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
file(GLOB dlls "${PREFIX}/${BINDIR}/*.dll")
foreach(program consumer host host_idioms)
    file(GLOB_RECURSE found LIST_DIRECTORIES false
        "${WORK_DIR}/${program}${SUFFIX}" "${WORK_DIR}/*/${program}${SUFFIX}")
    list(GET found 0 found)
    if(dlls)
        get_filename_component(directory "${found}" DIRECTORY)
        file(COPY ${dlls} DESTINATION "${directory}")
    endif()
    execute_process(COMMAND ${EMULATOR} "${found}" "${PATH_PREFIX}${WORK_DIR}/written.blocks"
        COMMAND_ERROR_IS_FATAL ANY)
endforeach()
