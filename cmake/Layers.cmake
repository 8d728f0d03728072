# SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
# SPDX-License-Identifier: GPL-3.0-or-later

# One library per folder, and a folder may include only the folders of the libraries it links.
# Includes are written from the source root ("protocol/Frames.h"), so the compiler would find any
# header of the tree; the check below makes the link line the rule instead: building a layer
# fails when one of its files includes a folder that the layer does not link.
#
#   zelvarin_layer(TARGET zelvarin_link FOLDER link)
#
# declares that TARGET holds the sources of FOLDER (relative to the source root).
# zelvarin_check_layers() is called once, after every target exists: it works out, for each
# declared target, the folders of the zelvarin libraries it links (directly or through them) and
# adds a step that scans the target's sources before they are compiled.

function(zelvarin_layer)
    cmake_parse_arguments(PARSE_ARGV 0 arg "" "TARGET;FOLDER" "")
    set_property(TARGET ${arg_TARGET} PROPERTY ZELVARIN_FOLDER ${arg_FOLDER})
    set_property(GLOBAL APPEND PROPERTY ZELVARIN_LAYERS ${arg_TARGET})
endfunction()

# The zelvarin layers `target` reaches through its link libraries, itself included.
function(_zelvarin_layer_closure target out)
    set(seen ${target})
    set(queue ${target})
    while(queue)
        list(POP_FRONT queue current)
        get_target_property(direct ${current} LINK_LIBRARIES)
        get_target_property(interface ${current} INTERFACE_LINK_LIBRARIES)
        foreach(dep IN LISTS direct interface)
            if(TARGET ${dep} AND NOT dep IN_LIST seen)
                get_target_property(folder ${dep} ZELVARIN_FOLDER)
                if(folder)
                    list(APPEND seen ${dep})
                    list(APPEND queue ${dep})
                endif()
            endif()
        endforeach()
    endwhile()
    set(${out} ${seen} PARENT_SCOPE)
endfunction()

function(zelvarin_check_layers)
    get_property(layers GLOBAL PROPERTY ZELVARIN_LAYERS)
    # Every folder that is some layer's: an include of one of these must be allowed.
    set(all_folders)
    foreach(target IN LISTS layers)
        get_target_property(folder ${target} ZELVARIN_FOLDER)
        list(APPEND all_folders ${folder})
    endforeach()
    foreach(target IN LISTS layers)
        get_target_property(folder ${target} ZELVARIN_FOLDER)
        _zelvarin_layer_closure(${target} reach)
        set(allowed)
        foreach(dep IN LISTS reach)
            get_target_property(dep_folder ${dep} ZELVARIN_FOLDER)
            list(APPEND allowed ${dep_folder})
        endforeach()
        get_target_property(sources ${target} SOURCES)
        set(files)
        foreach(source IN LISTS sources)
            if(source MATCHES "\\.(cpp|h)$")
                get_filename_component(path ${source} ABSOLUTE BASE_DIR ${PROJECT_SOURCE_DIR}/${folder})
                # Generated sources (D-Bus adaptors and proxies) are made in the build folder by
                # a tool and are not ours to check.
                string(FIND "${path}" "${CMAKE_BINARY_DIR}/" in_build)
                if(NOT in_build EQUAL 0)
                    list(APPEND files ${path})
                endif()
            endif()
        endforeach()
        set(stamp ${CMAKE_BINARY_DIR}/layers/${target}.checked)
        string(REPLACE ";" "," allowed_arg "${allowed}")
        string(REPLACE ";" "," folders_arg "${all_folders}")
        string(REPLACE ";" "," files_arg "${files}")
        add_custom_command(OUTPUT ${stamp}
            COMMAND ${CMAKE_COMMAND} -DFOLDER=${folder} "-DALLOWED=${allowed_arg}"
                    "-DFOLDERS=${folders_arg}" -DROOT=${PROJECT_SOURCE_DIR} -DSTAMP=${stamp}
                    "-DFILES=${files_arg}" -P ${PROJECT_SOURCE_DIR}/cmake/CheckLayer.cmake
            DEPENDS ${files} ${PROJECT_SOURCE_DIR}/cmake/CheckLayer.cmake
            COMMENT "Checking the includes of ${folder}/"
            VERBATIM)
        add_custom_target(${target}_layer_check DEPENDS ${stamp})
        add_dependencies(${target} ${target}_layer_check)
    endforeach()
endfunction()
