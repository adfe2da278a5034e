# SPDX-License-Identifier: MIT
# Dependencies of a cross build, taken from the build machine's Debian packages: GoogleTest is
# compiled from the sources libgtest-dev ships, CLI11 and nlohmann/json are header-only. Their
# headers are reached through a directory of their own, never through /usr/include, where the
# build machine's C library headers would shadow the target's.
set(_headers "${CMAKE_BINARY_DIR}/cross-dependencies/include")
file(MAKE_DIRECTORY "${_headers}")

function(_reuseblocks_header_only_target target directory)
    if(TARGET ${target})
        return()
    endif()
    if(NOT EXISTS "/usr/include/${directory}")
        message(FATAL_ERROR "/usr/include/${directory} not found: install the package that has it")
    endif()
    if(NOT EXISTS "${_headers}/${directory}")
        file(CREATE_LINK "/usr/include/${directory}" "${_headers}/${directory}" SYMBOLIC)
    endif()
    add_library(${target} INTERFACE IMPORTED GLOBAL)
    set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${_headers}")
endfunction()

_reuseblocks_header_only_target(CLI11::CLI11 CLI)
_reuseblocks_header_only_target(nlohmann_json::nlohmann_json nlohmann)

if(REUSEBLOCKS_BUILD_TESTS AND NOT TARGET GTest::gtest)
    set(REUSEBLOCKS_GOOGLETEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest sources")
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    # Static, whatever the library is: a GoogleTest DLL clashes with the static MinGW runtime.
    set(_reuseblocks_shared_libs ${BUILD_SHARED_LIBS})
    set(BUILD_SHARED_LIBS OFF)
    add_subdirectory("${REUSEBLOCKS_GOOGLETEST_SOURCE}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
    set(BUILD_SHARED_LIBS ${_reuseblocks_shared_libs})
    foreach(_gtest_target gtest gtest_main)
        if(NOT TARGET GTest::${_gtest_target})
            add_library(GTest::${_gtest_target} ALIAS ${_gtest_target})
        endif()
    endforeach()
endif()
