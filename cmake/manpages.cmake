# SPDX-License-Identifier: MIT
# Installs the manual pages with the project's version filled in, compressed as man-db and Debian
# expect when gzip is at hand.
set(REUSEBLOCKS_MAN_PAGES reuseblocks.1 reuseblocks-blocks.5)
find_program(REUSEBLOCKS_GZIP gzip)
set(_man_outputs "")
foreach(page IN LISTS REUSEBLOCKS_MAN_PAGES)
    set(_page "${PROJECT_BINARY_DIR}/man/${page}")
    configure_file("${PROJECT_SOURCE_DIR}/doc/man/${page}" "${_page}" @ONLY)
    string(REGEX REPLACE "^.*\\.([0-9])$" "\\1" _section "${page}")
    if(REUSEBLOCKS_GZIP)
        # -n leaves out the name and time, so the same page always gives the same bytes.
        add_custom_command(OUTPUT "${_page}.gz"
            COMMAND "${REUSEBLOCKS_GZIP}" -9nkf "${_page}"
            DEPENDS "${_page}" VERBATIM)
        list(APPEND _man_outputs "${_page}.gz")
        set(_page "${_page}.gz")
    endif()
    install(FILES "${_page}" DESTINATION "${CMAKE_INSTALL_MANDIR}/man${_section}" COMPONENT tool)
endforeach()
if(_man_outputs)
    add_custom_target(reuseblocks_man_pages ALL DEPENDS ${_man_outputs})
endif()
