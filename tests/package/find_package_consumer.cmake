# SPDX-License-Identifier: MIT
# Configures, builds and runs the consumer project against the installed PREFIX, with the
# generator, compiler and flags of the enclosing build.
file(REMOVE_RECURSE "${WORK_DIR}")
execute_process(COMMAND "${CMAKE_COMMAND}" -S "${SOURCE_DIR}" -B "${WORK_DIR}" -G "${GENERATOR}"
    "-DCMAKE_MAKE_PROGRAM=${MAKE_PROGRAM}" "-DCMAKE_CXX_COMPILER=${CXX_COMPILER}"
    "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${LINKER_FLAGS}"
    "-DCMAKE_BUILD_TYPE=${CONFIG}" "-DCMAKE_PREFIX_PATH=${PREFIX}" -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
    "-DEXPECT_STATIC=${EXPECT_STATIC}"
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${WORK_DIR}" --config "${CONFIG}"
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
file(GLOB_RECURSE consumer LIST_DIRECTORIES false "${WORK_DIR}/consumer" "${WORK_DIR}/*/consumer")
list(GET consumer 0 consumer)
execute_process(COMMAND "${consumer}" "${WORK_DIR}/written.blocks" COMMAND_ERROR_IS_FATAL ANY)
