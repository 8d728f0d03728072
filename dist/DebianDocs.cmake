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
# A heading may carry a UTC time, "## 1.9 (2026-12-07 20:30)", for two releases on one day; without
# one the entry is stamped at noon. Each entry must be later than the one below it: Debian's tools
# take the newest entry's stamp as the build's SOURCE_DATE_EPOCH, and lintian refuses a package
# whose newest entry is not newer than the last.
# The items of this version's heading are also the release notes of the AppStream metadata
# (ZELVARIN_RELEASE_NOTES, one <li> each, `code` as <code>).
# A CMake list cannot hold a ';', so the text's own stand in as @SEMICOLON@ until it is written.
file(READ ${PROJECT_SOURCE_DIR}/CHANGELOG.md changelog_text)
string(REPLACE ";" "@SEMICOLON@" changelog_text "${changelog_text}")
string(REPLACE "\n" ";" changelog_lines "${changelog_text}")
set(debian_changelog "")
set(entry_version "")
set(newer_version "")
set(newer_epoch "")
set(release_notes "")
set(release_item "")
macro(zelvarin_close_release_item)
    if(release_item)
        string(REPLACE "&" "&amp;" release_item "${release_item}")
        string(REPLACE "<" "&lt;" release_item "${release_item}")
        string(REPLACE ">" "&gt;" release_item "${release_item}")
        string(REGEX REPLACE "`([^`]*)`" "<code>\\1</code>" release_item "${release_item}")
        if(release_notes)
            string(APPEND release_notes "\n")
        endif()
        string(APPEND release_notes "          <li>${release_item}</li>")
    endif()
    set(release_item "")
endmacro()
macro(zelvarin_close_entry)
    if(entry_version)
        execute_process(COMMAND date -u -R -d "${entry_date} ${entry_time} UTC"
            OUTPUT_VARIABLE entry_stamp OUTPUT_STRIP_TRAILING_WHITESPACE)
        execute_process(COMMAND date -u +%s -d "${entry_date} ${entry_time} UTC"
            OUTPUT_VARIABLE entry_epoch OUTPUT_STRIP_TRAILING_WHITESPACE)
        if(newer_epoch AND NOT newer_epoch GREATER entry_epoch)
            message(FATAL_ERROR "CHANGELOG.md: ${newer_version} is not later than ${entry_version}"
                                " below it; give its heading a later date or a time (HH:MM, UTC)")
        endif()
        set(newer_version ${entry_version})
        set(newer_epoch ${entry_epoch})
        string(APPEND debian_changelog
            "\n -- ${ZELVARIN_MAINTAINER}  ${entry_stamp}\n\n")
    endif()
endmacro()
foreach(line IN LISTS changelog_lines)
    if(line MATCHES "^## ")
        zelvarin_close_release_item()
    endif()
    if(line MATCHES "^## ([^ ]+) \\(([0-9-]+)( ([0-9][0-9]:[0-9][0-9]))?\\)")
        set(heading_version ${CMAKE_MATCH_1})
        set(heading_date ${CMAKE_MATCH_2})
        set(heading_time "${CMAKE_MATCH_4}")
        zelvarin_close_entry()
        set(entry_version ${heading_version})
        set(entry_date ${heading_date})
        set(entry_time "${heading_time}")
        if(NOT entry_time)
            set(entry_time "12:00")
        endif()
        string(APPEND debian_changelog "zelvarin (${entry_version}) unstable; urgency=medium\n\n")
    elseif(entry_version AND line MATCHES "^- (.*)")
        set(text "${CMAKE_MATCH_1}") # the macro's own matching would overwrite CMAKE_MATCH_1
        string(APPEND debian_changelog "  * ${text}\n")
        if(entry_version STREQUAL PROJECT_VERSION)
            zelvarin_close_release_item()
            set(release_item "${text}")
        endif()
    elseif(entry_version AND line MATCHES "^  +(.*)")
        string(APPEND debian_changelog "    ${CMAKE_MATCH_1}\n")
        if(release_item)
            string(APPEND release_item " ${CMAKE_MATCH_1}")
        endif()
    endif()
endforeach()
zelvarin_close_entry()
zelvarin_close_release_item()
if(NOT release_notes)
    message(FATAL_ERROR "CHANGELOG.md has no items under \"## ${PROJECT_VERSION} (DATE)\": the "
                        "release notes of the metadata are made from them")
endif()
string(REPLACE "@SEMICOLON@" ";" ZELVARIN_RELEASE_NOTES "${release_notes}")
string(REPLACE "@SEMICOLON@" ";" debian_changelog "${debian_changelog}")
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/changelog "${debian_changelog}")
execute_process(COMMAND gzip -9nf ${CMAKE_CURRENT_BINARY_DIR}/changelog)
