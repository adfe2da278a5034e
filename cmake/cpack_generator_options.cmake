# SPDX-License-Identifier: MIT
# Read by cpack for each generator in turn.
if(CPACK_GENERATOR STREQUAL "DEB")
    # The Debian packages carry the licence as their copyright files instead.
    set(CPACK_COMPONENTS_ALL runtime dev tool)
    # Each package's description starts with its own synopsis; cpack would put the project's
    # summary above it unless the summary is its default.
    set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CPACK_DEFAULT_PACKAGE_DESCRIPTION_SUMMARY}")
endif()
