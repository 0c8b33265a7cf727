# The toolkit-free layers as libraries, so that the direction between them is enforced by the
# build and not only by habit:
#
#   quillmere_platform   PlatformOps, CopyMonitor and the stop request: the platform interface
#   quillmere_system     the system operations behind it (files, copy engine, clock, settings store)
#   quillmere_settings   the settings layout                        uses quillmere_platform
#   quillmere_backup     FileModule and the backup run              uses quillmere_settings
#   quillmere_forms      the window logic                           uses quillmere_backup
#
# A layer does not compile against the project root, where every header can be reached. It gets an
# include root of its own in the build tree that holds a link to its own folder and nothing else;
# the roots of the layers it uses come with them. The platform interface's root holds links to its
# few headers only. So "platform/SystemFiles.h" included from backup/ is not found, and
# tests/layers proves it. The system operations and the front ends keep the project root.
set(QUILLMERE_LAYERS_DIR ${CMAKE_BINARY_DIR}/layers)

# Puts a link to <source root>/<relative> at <layer root>/<relative>.
function(quillmere_layer_link root relative)
    set(link ${root}/${relative})
    set(target ${PROJECT_SOURCE_DIR}/${relative})
    if(IS_SYMLINK ${link})
        # A build folder reused for a source tree that moved keeps links to the old place.
        file(READ_SYMLINK ${link} current)
        if(current STREQUAL target)
            return()
        endif()
        file(REMOVE ${link})
    endif()
    get_filename_component(parent ${link} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${target} ${link} SYMBOLIC)
endfunction()

# quillmere_add_layer(<target> FOLDER <folder> SOURCES <files...> [USES <lower layers...>])
#
# A static library of the sources in <folder> that sees its own folder and the layers it uses.
# A relative include ("../platform/...") would step around the include roots, so none is allowed.
function(quillmere_add_layer target)
    cmake_parse_arguments(ARG "" "FOLDER" "SOURCES;USES" ${ARGN})
    set(root ${QUILLMERE_LAYERS_DIR}/${ARG_FOLDER})
    quillmere_layer_link(${root} ${ARG_FOLDER})
    file(GLOB files ${PROJECT_SOURCE_DIR}/${ARG_FOLDER}/*.h ${PROJECT_SOURCE_DIR}/${ARG_FOLDER}/*.cpp)
    foreach(file IN LISTS files)
        file(STRINGS ${file} stepping REGEX "^[ \t]*#[ \t]*include[ \t]*\"\\.\\./")
        if(stepping)
            message(FATAL_ERROR "${file}: includes by a relative path that leaves its layer: ${stepping}")
        endif()
    endforeach()
    add_library(${target} STATIC ${ARG_SOURCES})
    target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${root}>)
    target_link_libraries(${target} PUBLIC ${ARG_USES})
endfunction()
