# SPDX-License-Identifier: MIT
# Installs the library, its headers, the tool with its manual pages and completion, a CMake
# package, a pkg-config file and the licence, and exports the targets from the build tree as well.
# Components follow the Debian packages: runtime (the shared library), dev (headers, link, CMake
# package, .pc, static library), tool (program, manual pages, completion), licence, and python
# (the Python package, when asked for).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(REUSEBLOCKS_CMAKE_DIR "${CMAKE_INSTALL_LIBDIR}/cmake/reuseblocks")

install(TARGETS reuseblocks
    EXPORT reuseblocksTargets
    LIBRARY DESTINATION "${CMAKE_INSTALL_LIBDIR}" COMPONENT runtime NAMELINK_COMPONENT dev
    ARCHIVE DESTINATION "${CMAKE_INSTALL_LIBDIR}" COMPONENT dev
    RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}" COMPONENT runtime)
install(DIRECTORY "${PROJECT_SOURCE_DIR}/include/reuseblocks"
    DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}" COMPONENT dev)
install(FILES "${REUSEBLOCKS_GENERATED_INCLUDE_DIR}/reuseblocks/version.h"
    DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/reuseblocks" COMPONENT dev)
if(TARGET reuseblocks_cli)
    install(TARGETS reuseblocks_cli RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}" COMPONENT tool)
    install(FILES "${PROJECT_SOURCE_DIR}/completion/reuseblocks"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/bash-completion/completions" COMPONENT tool)
endif()
include("${CMAKE_CURRENT_LIST_DIR}/manpages.cmake")
# The Python package goes where a distribution's interpreter looks (Debian:
# lib/python3/dist-packages), and only when that is named; pip installs it otherwise.
set(REUSEBLOCKS_PYTHON_INSTALL_DIR "" CACHE STRING
    "Where to install the Python package, relative to the prefix (empty: not installed)")
if(TARGET reuseblocks_python AND REUSEBLOCKS_PYTHON_INSTALL_DIR)
    install(TARGETS reuseblocks_python
        LIBRARY DESTINATION "${REUSEBLOCKS_PYTHON_INSTALL_DIR}/reuseblocks" COMPONENT python)
    install(DIRECTORY "${PROJECT_SOURCE_DIR}/python/reuseblocks/"
        DESTINATION "${REUSEBLOCKS_PYTHON_INSTALL_DIR}/reuseblocks" COMPONENT python
        FILES_MATCHING PATTERN "*.py" PATTERN "*.pyi" PATTERN "py.typed"
        PATTERN "__pycache__" EXCLUDE)
endif()
install(FILES "${PROJECT_SOURCE_DIR}/LICENSE" DESTINATION "${CMAKE_INSTALL_DOCDIR}"
    COMPONENT licence)

install(EXPORT reuseblocksTargets
    NAMESPACE reuseblocks::
    DESTINATION "${REUSEBLOCKS_CMAKE_DIR}"
    COMPONENT dev)
# find_package(reuseblocks) with reuseblocks_DIR pointing at the build tree works without
# installing.
export(EXPORT reuseblocksTargets
    NAMESPACE reuseblocks::
    FILE "${PROJECT_BINARY_DIR}/reuseblocksTargets.cmake")

# The config file only includes the targets file beside it, so the same file serves both trees.
configure_package_config_file("${CMAKE_CURRENT_LIST_DIR}/reuseblocksConfig.cmake.in"
    "${PROJECT_BINARY_DIR}/reuseblocksConfig.cmake"
    INSTALL_DESTINATION "${REUSEBLOCKS_CMAKE_DIR}")
write_basic_package_version_file("${PROJECT_BINARY_DIR}/reuseblocksConfigVersion.cmake"
    VERSION "${PROJECT_VERSION}"
    COMPATIBILITY SameMajorVersion)
install(FILES
    "${PROJECT_BINARY_DIR}/reuseblocksConfig.cmake"
    "${PROJECT_BINARY_DIR}/reuseblocksConfigVersion.cmake"
    DESTINATION "${REUSEBLOCKS_CMAKE_DIR}"
    COMPONENT dev)

# The .pc file is made when installing, so it names the prefix really installed into
# (cmake --install --prefix) rather than the one configured. Absolute LIBDIR and INCLUDEDIR
# are used as they are. An archive is unpacked anywhere: the prefix cpack stages it in means
# nothing there, so cpack's install (REUSEBLOCKS_PC_RELOCATABLE, see packaging.cmake) names the
# prefix from where the .pc file lies. Installs into a fixed prefix keep it absolute, which
# pkg-config's sysroot handling expects.
set(REUSEBLOCKS_PC_FILE "${PROJECT_BINARY_DIR}/pkgconfig/reuseblocks.pc")
if(REUSEBLOCKS_SHARED)
    set(REUSEBLOCKS_PC_CFLAGS "")
else()
    set(REUSEBLOCKS_PC_CFLAGS " -DREUSEBLOCKS_STATIC")
endif()
if(REUSEBLOCKS_EXCEPTIONS_BY_POINTER)
    string(APPEND REUSEBLOCKS_PC_CFLAGS " -DREUSEBLOCKS_EXCEPTIONS_BY_POINTER")
endif()
file(RELATIVE_PATH REUSEBLOCKS_PC_UP_TO_PREFIX "/prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/prefix")
string(REGEX REPLACE "/$" "" REUSEBLOCKS_PC_UP_TO_PREFIX "${REUSEBLOCKS_PC_UP_TO_PREFIX}")
install(CODE "
    set(PROJECT_DESCRIPTION [==[${PROJECT_DESCRIPTION}]==])
    set(PROJECT_VERSION [==[${PROJECT_VERSION}]==])
    set(REUSEBLOCKS_PC_CFLAGS [==[${REUSEBLOCKS_PC_CFLAGS}]==])
    set(REUSEBLOCKS_PC_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
    if(REUSEBLOCKS_PC_RELOCATABLE AND NOT IS_ABSOLUTE [==[${CMAKE_INSTALL_LIBDIR}]==])
        set(REUSEBLOCKS_PC_PREFIX [==[\${pcfiledir}/${REUSEBLOCKS_PC_UP_TO_PREFIX}]==])
    endif()
    set(REUSEBLOCKS_PC_LIBDIR [==[${CMAKE_INSTALL_LIBDIR}]==])
    set(REUSEBLOCKS_PC_INCLUDEDIR [==[${CMAKE_INSTALL_INCLUDEDIR}]==])
    if(NOT IS_ABSOLUTE \"\${REUSEBLOCKS_PC_LIBDIR}\")
        set(REUSEBLOCKS_PC_LIBDIR \"\\\${exec_prefix}/\${REUSEBLOCKS_PC_LIBDIR}\")
    endif()
    if(NOT IS_ABSOLUTE \"\${REUSEBLOCKS_PC_INCLUDEDIR}\")
        set(REUSEBLOCKS_PC_INCLUDEDIR \"\\\${prefix}/\${REUSEBLOCKS_PC_INCLUDEDIR}\")
    endif()
    configure_file([==[${CMAKE_CURRENT_LIST_DIR}/reuseblocks.pc.in]==]
        [==[${REUSEBLOCKS_PC_FILE}]==] @ONLY)
" COMPONENT dev)
install(FILES "${REUSEBLOCKS_PC_FILE}" DESTINATION "${CMAKE_INSTALL_LIBDIR}/pkgconfig"
    COMPONENT dev)
