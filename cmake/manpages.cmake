# Installs the manual pages, compressed as man-db and Debian expect when gzip is at hand.
set(REUSEBLOCKS_MAN_PAGES reuseblocks.1 reuseblocks-blocks.5)
find_program(REUSEBLOCKS_GZIP gzip)
set(_man_outputs "")
foreach(page IN LISTS REUSEBLOCKS_MAN_PAGES)
    set(_source "${PROJECT_SOURCE_DIR}/doc/man/${page}")
    string(REGEX REPLACE "^.*\\.([0-9])$" "\\1" _section "${page}")
    if(REUSEBLOCKS_GZIP)
        # -n leaves out the name and time, so the same page always gives the same bytes.
        set(_installed "${PROJECT_BINARY_DIR}/man/${page}.gz")
        add_custom_command(OUTPUT "${_installed}"
            COMMAND "${CMAKE_COMMAND}" -E make_directory "${PROJECT_BINARY_DIR}/man"
            COMMAND "${REUSEBLOCKS_GZIP}" -9nc "${_source}" > "${_installed}"
            DEPENDS "${_source}" VERBATIM)
        list(APPEND _man_outputs "${_installed}")
    else()
        set(_installed "${_source}")
    endif()
    install(FILES "${_installed}" DESTINATION "${CMAKE_INSTALL_MANDIR}/man${_section}"
        COMPONENT tool)
endforeach()
if(_man_outputs)
    add_custom_target(reuseblocks_man_pages ALL DEPENDS ${_man_outputs})
endif()
