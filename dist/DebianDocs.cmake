# SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Writes copyright (DEP-5, with the CC BY 4.0 text that Debian does not ship) and changelog.gz
# (Debian changelog format, one entry per "## VERSION (DATE)" section of CHANGELOG.md) into the
# binary folder. Runs at configure time; both inputs make CMake configure again when they change.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/CHANGELOG.md
    ${PROJECT_SOURCE_DIR}/LICENSES/CC-BY-4.0.txt
    ${CMAKE_CURRENT_SOURCE_DIR}/copyright.in)

# A DEP-5 licence text: every line indented by one space, empty lines written as " .".
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSES/CC-BY-4.0.txt cc_by_lines)
set(ZELVARIN_CC_BY_TEXT "")
foreach(line IN LISTS cc_by_lines)
    string(STRIP "${line}" stripped)
    if(stripped STREQUAL "")
        string(APPEND ZELVARIN_CC_BY_TEXT " .\n")
    else()
        string(APPEND ZELVARIN_CC_BY_TEXT " ${line}\n")
    endif()
endforeach()
string(REGEX REPLACE "\n$" "" ZELVARIN_CC_BY_TEXT "${ZELVARIN_CC_BY_TEXT}")
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/copyright.in ${CMAKE_CURRENT_BINARY_DIR}/copyright @ONLY)

# CHANGELOG.md: "## 1.8 (2026-12-07)" headings, "- " items whose continuation lines are indented.
file(STRINGS ${PROJECT_SOURCE_DIR}/CHANGELOG.md changelog_lines)
set(debian_changelog "")
set(entry_version "")
macro(zelvarin_close_entry)
    if(entry_version)
        execute_process(COMMAND date -u -R -d "${entry_date} 12:00:00"
            OUTPUT_VARIABLE entry_stamp OUTPUT_STRIP_TRAILING_WHITESPACE)
        string(APPEND debian_changelog
            "\n -- ${ZELVARIN_MAINTAINER}  ${entry_stamp}\n\n")
    endif()
endmacro()
foreach(line IN LISTS changelog_lines)
    if(line MATCHES "^## ([^ ]+) \\(([0-9-]+)\\)")
        zelvarin_close_entry()
        set(entry_version ${CMAKE_MATCH_1})
        set(entry_date ${CMAKE_MATCH_2})
        string(APPEND debian_changelog "zelvarin (${entry_version}) unstable; urgency=medium\n\n")
    elseif(entry_version AND line MATCHES "^- (.*)")
        string(APPEND debian_changelog "  * ${CMAKE_MATCH_1}\n")
    elseif(entry_version AND line MATCHES "^  +(.*)")
        string(APPEND debian_changelog "    ${CMAKE_MATCH_1}\n")
    endif()
endforeach()
zelvarin_close_entry()
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/changelog "${debian_changelog}")
execute_process(COMMAND gzip -9nf ${CMAKE_CURRENT_BINARY_DIR}/changelog)
