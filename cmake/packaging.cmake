# SPDX-License-Identifier: MIT
# cpack: a .tar.gz of the library, development files, tool and licence (the Python module has
# packages of its own). The Debian packages are made from debian/ with dpkg-buildpackage instead;
# .ci/packages.sh makes both, the .tar.gz from the Debian build.
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

# These components only, in one archive under one top directory: a build with the Python module
# (the Debian one) leaves it to its own package.
set(CPACK_COMPONENTS_ALL runtime dev tool licence)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
# The archive's .pc file finds the prefix from where it lies (install.cmake); cpack 3.21 and later.
set(CPACK_CUSTOM_INSTALL_VARIABLES REUSEBLOCKS_PC_RELOCATABLE=ON)

include(CPack)
