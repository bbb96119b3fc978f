# Gives a Windows program its icon and version record, and links it
# statically so that it runs on a bare Windows machine with no runtime DLLs
# beside it. Outside debug builds it is stripped: the static runtime brings
# its debug sections along, which would triple the download.
function(make_windows_program target description)
    if(NOT WIN32)
        return()
    endif()
    set(RC_PROGRAM ${target})
    set(RC_DESCRIPTION "${description}")
    set(RC_ICON "${PROJECT_SOURCE_DIR}/resources/${target}.ico")
    string(REPLACE "." "," RC_VERSION_COMMAS "${PROJECT_VERSION}")
    set(rc_file "${CMAKE_CURRENT_BINARY_DIR}/${target}.rc")
    configure_file("${PROJECT_SOURCE_DIR}/resources/program.rc.in" "${rc_file}" @ONLY)
    target_sources(${target} PRIVATE "${rc_file}")
    if(MINGW)
        # No time stamp in the header, so that one commit always builds the
        # same bytes and a download can be checked against its source.
        target_link_options(${target} PRIVATE -static -Wl,--no-insert-timestamp
                            $<$<NOT:$<CONFIG:Debug>>:-s>)
    endif()
endfunction()
