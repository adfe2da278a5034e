# SPDX-License-Identifier: MIT
# Builds one host program against the library in the build tree with every compiler and standard
# given, and runs each build:
#   cmake -DSOURCE=host_idioms.cpp -DCOMPILERS=g++;clang++ -DSTANDARDS=17;20
#         -DINCLUDES=dir;dir -DLIBRARY=path/libreuseblocks.so -DWORK_DIR=dir -P compilers.cmake
# A compiler that is not installed is passed over; at least one must be there.
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
get_filename_component(library_dir "${LIBRARY}" DIRECTORY)
set(include_flags)
foreach(directory IN LISTS INCLUDES)
    list(APPEND include_flags "-I${directory}")
endforeach()
set(built 0)
foreach(compiler IN LISTS COMPILERS)
    find_program(path NAMES "${compiler}" NO_CACHE)
    if(NOT path)
        message(STATUS "${compiler}: not installed, passed over")
        continue()
    endif()
    foreach(standard IN LISTS STANDARDS)
        set(program "${WORK_DIR}/${compiler}-c++${standard}")
        execute_process(COMMAND "${path}" -std=c++${standard} -Wall -Wextra -Wpedantic -Werror
                -Wconversion -Wsign-conversion ${include_flags} "${SOURCE}" -o "${program}"
                "${LIBRARY}" "-Wl,-rpath,${library_dir}"
            RESULT_VARIABLE status)
        if(NOT status EQUAL 0)
            message(FATAL_ERROR "${compiler} -std=c++${standard} failed to build ${SOURCE}")
        endif()
        execute_process(COMMAND "${program}" RESULT_VARIABLE status)
        if(NOT status EQUAL 0)
            message(FATAL_ERROR "${SOURCE} built by ${compiler} -std=c++${standard} failed")
        endif()
        math(EXPR built "${built} + 1")
    endforeach()
    unset(path)
endforeach()
if(built EQUAL 0)
    message(FATAL_ERROR "none of ${COMPILERS} is installed")
endif()
