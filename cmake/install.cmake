# Installs the library, its headers, the tool, a CMake package and a pkg-config file, and
# exports the targets from the build tree as well.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(REUSEBLOCKS_CMAKE_DIR "${CMAKE_INSTALL_LIBDIR}/cmake/reuseblocks")

install(TARGETS reuseblocks
    EXPORT reuseblocksTargets
    LIBRARY DESTINATION "${CMAKE_INSTALL_LIBDIR}"
    ARCHIVE DESTINATION "${CMAKE_INSTALL_LIBDIR}"
    RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(DIRECTORY "${PROJECT_SOURCE_DIR}/include/reuseblocks"
    DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}")
if(TARGET reuseblocks_cli)
    install(TARGETS reuseblocks_cli RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
endif()

install(EXPORT reuseblocksTargets
    NAMESPACE reuseblocks::
    DESTINATION "${REUSEBLOCKS_CMAKE_DIR}")
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
    DESTINATION "${REUSEBLOCKS_CMAKE_DIR}")

# The .pc file is made when installing, so it names the prefix really installed into
# (cmake --install --prefix) rather than the one configured. Absolute LIBDIR and INCLUDEDIR
# are used as they are.
set(REUSEBLOCKS_PC_FILE "${PROJECT_BINARY_DIR}/pkgconfig/reuseblocks.pc")
install(CODE "
    set(PROJECT_DESCRIPTION [==[${PROJECT_DESCRIPTION}]==])
    set(PROJECT_VERSION [==[${PROJECT_VERSION}]==])
    set(REUSEBLOCKS_PC_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
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
")
install(FILES "${REUSEBLOCKS_PC_FILE}" DESTINATION "${CMAKE_INSTALL_LIBDIR}/pkgconfig")
