# SPDX-License-Identifier: MIT
# cpack: a .tar.gz of the whole install, and Debian packages split as Debian splits a library:
#   libreuseblocks1     the shared library (runtime component), with shlibs
#   libreuseblocks-dev  headers, the .so link, the CMake package and the .pc file (dev)
#   reuseblocks         the tool, its manual pages and bash completion (tool)
# Build the Debian packages from a build configured with -DCMAKE_INSTALL_PREFIX=/usr, so that the
# library lands in the multiarch directory and the tool carries no run path.
set(REUSEBLOCKS_MAINTAINER "reuseblocks authors <reuseblocks@example.org>")
set(REUSEBLOCKS_RELEASE_DATE "Sun, 06 Dec 2026 12:00:00 +0000")
set(REUSEBLOCKS_DEBIAN_REVISION 1)

set(CPACK_PACKAGE_NAME reuseblocks)
set(CPACK_PACKAGE_VENDOR "the reuseblocks authors")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_PACKAGE_FILE_NAME "reuseblocks-${PROJECT_VERSION}-${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}")
set(CPACK_GENERATOR TGZ)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR TGZ)
# Regular expressions, escaped twice: cpack writes them into a file it reads again.
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/\\\\.git$" "/build/" "/build-[^/]*/" "/out/"
    "\\\\.swp$" "/\\\\.cache/")
set(CPACK_THREADS 2)

set(CPACK_COMPONENTS_ALL runtime dev tool licence)
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
# Settings that differ between the .tar.gz and the Debian packages.
set(CPACK_PROJECT_CONFIG_FILE "${CMAKE_CURRENT_LIST_DIR}/cpack_generator_options.cmake")

# Debian
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${REUSEBLOCKS_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_RELEASE ${REUSEBLOCKS_DEBIAN_REVISION})
set(CPACK_DEBIAN_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_DEBIAN_PACKAGE_SOURCE reuseblocks)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# The tool's own library is not installed while its package is made.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${PROJECT_BINARY_DIR}")
set(_deb_version "${PROJECT_VERSION}-${REUSEBLOCKS_DEBIAN_REVISION}")
set(_blurb "reuseblocks reads, edits and writes the plain-text design-reuse blocks\n"
    "files (PCB_BLOCKS FILE FORMAT 2.0) of printed-circuit-board design tools.")
string(CONCAT _blurb ${_blurb})

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libreuseblocks${PROJECT_VERSION_MAJOR})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
# Debian refreshes the loader cache through the ldconfig trigger. cpack (3.25) also writes a
# postinst and postrm that call ldconfig for any library under /usr/lib, which lintian notes
# (maintscript-calls-ldconfig): redundant, harmless, and cheaper to keep than to replace with
# scripts of our own that would be empty.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA "${CMAKE_CURRENT_LIST_DIR}/debian/triggers")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION
    "library for PCB design-reuse blocks files\n${_blurb}\n\nThis package holds the shared library.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libreuseblocks-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS
    "${CPACK_DEBIAN_RUNTIME_PACKAGE_NAME} (= ${_deb_version})")
set(CPACK_COMPONENT_DEV_DESCRIPTION
    "library for PCB design-reuse blocks files - development files\n${_blurb}\n\n"
    "This package holds the C++17 headers, the CMake package and the pkg-config\nfile.")
string(CONCAT CPACK_COMPONENT_DEV_DESCRIPTION ${CPACK_COMPONENT_DEV_DESCRIPTION})

set(CPACK_DEBIAN_TOOL_PACKAGE_NAME reuseblocks)
set(CPACK_DEBIAN_TOOL_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_TOOL_PACKAGE_DEPENDS "${CPACK_DEBIAN_RUNTIME_PACKAGE_NAME} (>= ${PROJECT_VERSION})")
set(CPACK_COMPONENT_TOOL_DESCRIPTION
    "check, list and edit PCB design-reuse blocks files\n${_blurb}\n\n"
    "This package holds the reuseblocks command-line tool, its manual pages and\n"
    "bash completion.")
string(CONCAT CPACK_COMPONENT_TOOL_DESCRIPTION ${CPACK_COMPONENT_TOOL_DESCRIPTION})

# Debian keeps the licence of each package in /usr/share/doc/PACKAGE/copyright, beside a
# changelog.Debian.gz. They go in only with their component, never into a plain install.
file(STRINGS "${PROJECT_SOURCE_DIR}/LICENSE" _licence_lines)
set(REUSEBLOCKS_LICENSE_BODY "")
set(_in_body OFF)
foreach(_line IN LISTS _licence_lines)
    if(_line MATCHES "^Permission is hereby granted")
        set(_in_body ON)
    endif()
    if(_in_body)
        if(_line STREQUAL "")
            string(APPEND REUSEBLOCKS_LICENSE_BODY " .\n")
        else()
            string(APPEND REUSEBLOCKS_LICENSE_BODY " ${_line}\n")
        endif()
    endif()
endforeach()
string(STRIP "${REUSEBLOCKS_LICENSE_BODY}" REUSEBLOCKS_LICENSE_BODY)
string(PREPEND REUSEBLOCKS_LICENSE_BODY " ")
set(_debian_dir "${PROJECT_BINARY_DIR}/debian")
configure_file("${CMAKE_CURRENT_LIST_DIR}/debian/copyright.in" "${_debian_dir}/copyright" @ONLY)
configure_file("${CMAKE_CURRENT_LIST_DIR}/debian/changelog.in" "${_debian_dir}/changelog" @ONLY)
find_program(REUSEBLOCKS_GZIP gzip)
if(REUSEBLOCKS_GZIP)
    execute_process(COMMAND "${REUSEBLOCKS_GZIP}" -9nc "${_debian_dir}/changelog"
        OUTPUT_FILE "${_debian_dir}/changelog.Debian.gz" COMMAND_ERROR_IS_FATAL ANY)
    foreach(_component runtime dev tool)
        string(TOUPPER ${_component} _upper)
        set(_doc "${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_DEBIAN_${_upper}_PACKAGE_NAME}")
        install(FILES "${_debian_dir}/copyright" "${_debian_dir}/changelog.Debian.gz"
            DESTINATION "${_doc}" COMPONENT ${_component} EXCLUDE_FROM_ALL)
    endforeach()
endif()

include(CPack)
