# SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
# SPDX-License-Identifier: GPL-3.0-or-later

# cmake -DFOLDER=link -DALLOWED=link,protocol -DFOLDERS=protocol,edid,... -DROOT=... -DSTAMP=...
#       -DFILES=a.cpp,b.h -P CheckLayer.cmake
# Fails when a file of FOLDER includes a header of a layer folder outside ALLOWED. Bare names
# ("Frames.h") are refused too: every include of the tree names its folder.
cmake_minimum_required(VERSION 3.21)

string(REPLACE "," ";" allowed "${ALLOWED}")
string(REPLACE "," ";" folders "${FOLDERS}")
string(REPLACE "," ";" files "${FILES}")
# Longest folder first, so that "link/usb/X.h" is read as link/usb, not link.
list(SORT folders COMPARE STRING ORDER DESCENDING)
set(problems)
foreach(file IN LISTS files)
    file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    file(RELATIVE_PATH name ${ROOT} ${file})
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*$" "\\1" header "${line}")
        # Generated files (moc output, the uic header, D-Bus adaptors and proxies) come from the
        # build folder.
        if(header MATCHES "^(ui_.*\\.h|.*\\.moc|moc_.*\\.cpp|[a-z0-9]+_(adaptor|proxy)\\.h)$")
            continue()
        endif()
        if(NOT header MATCHES "/")
            list(APPEND problems "${name}: #include \"${header}\" does not name its folder")
            continue()
        endif()
        set(layer "")
        foreach(folder IN LISTS folders)
            string(LENGTH "${folder}/" n)
            string(SUBSTRING "${header}" 0 ${n} head)
            if(head STREQUAL "${folder}/")
                set(layer ${folder})
                break()
            endif()
        endforeach()
        if(layer AND NOT layer IN_LIST allowed)
            list(APPEND problems
                "${name}: #include \"${header}\": ${FOLDER}/ does not use ${layer}/ (it may use ${ALLOWED})")
        elseif(NOT layer)
            list(APPEND problems "${name}: #include \"${header}\" is no layer's header")
        endif()
    endforeach()
endforeach()
if(problems)
    list(JOIN problems "\n  " text)
    message(FATAL_ERROR "Includes that break the layering:\n  ${text}")
endif()
file(TOUCH ${STAMP})
