# The core library must stay plain C++: no Qt and no X11, neither included nor linked.
# Both checks run at configure time so a violation fails the build before anything compiles.

file(GLOB_RECURSE _tavrilux_core_files CONFIGURE_DEPENDS
     "${CMAKE_CURRENT_SOURCE_DIR}/src/core/*.h" "${CMAKE_CURRENT_SOURCE_DIR}/src/core/*.cpp")
foreach(_file IN LISTS _tavrilux_core_files)
    file(STRINGS "${_file}" _bad REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](Q[A-Za-z]|X11/|xcb/|qt|gtk)")
    if(_bad)
        message(FATAL_ERROR "core must not include Qt or X11 headers: ${_file}: ${_bad}")
    endif()
endforeach()

function(tavrilux_check_core_links target)
    get_target_property(_libs ${target} LINK_LIBRARIES)
    get_target_property(_ilibs ${target} INTERFACE_LINK_LIBRARIES)
    foreach(_lib IN LISTS _libs _ilibs)
        if(_lib MATCHES "Qt|xcb|X11|PkgConfig::XCB")
            message(FATAL_ERROR "core must not link Qt or X11, but links ${_lib}")
        endif()
    endforeach()
endfunction()
