# The resource bundle (string tables, application icon) lies next to every executable that
# reads it, as it does in <prefix>/share/tavrilux/ once installed.
include(GNUInstallDirs)

set(TAVRILUX_BUNDLE_SOURCE ${CMAKE_SOURCE_DIR}/resources/Tavrilux_Tavrilux.bundle)
file(GLOB_RECURSE TAVRILUX_BUNDLE_FILES CONFIGURE_DEPENDS ${TAVRILUX_BUNDLE_SOURCE}/*)

# Copies the bundle next to `target`'s executable whenever a file of it changes.
function(tavrilux_bundle_resources target)
    get_target_property(folder ${target} RUNTIME_OUTPUT_DIRECTORY)
    if(NOT folder)
        set(folder ${CMAKE_CURRENT_BINARY_DIR})
    endif()
    set(destination ${folder}/Tavrilux_Tavrilux.bundle)
    set(stamp ${folder}/Tavrilux_Tavrilux.bundle.stamp)
    add_custom_command(
        OUTPUT ${stamp}
        COMMAND ${CMAKE_COMMAND} -E rm -rf ${destination}
        COMMAND ${CMAKE_COMMAND} -E copy_directory ${TAVRILUX_BUNDLE_SOURCE} ${destination}
        COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
        DEPENDS ${TAVRILUX_BUNDLE_FILES}
        COMMENT "Copying the resource bundle next to ${target}"
        VERBATIM)
    add_custom_target(${target}_resource_bundle DEPENDS ${stamp})
    add_dependencies(${target} ${target}_resource_bundle)
endfunction()

install(DIRECTORY ${TAVRILUX_BUNDLE_SOURCE} DESTINATION ${CMAKE_INSTALL_DATADIR}/tavrilux)
