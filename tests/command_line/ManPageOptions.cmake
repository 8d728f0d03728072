# SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
# SPDX-License-Identifier: GPL-3.0-or-later

# cmake -DPROGRAM=... -DPAGE=dist/man/NAME.N.scd -P ManPageOptions.cmake
# Fails when PROGRAM --help lists an option that the man page does not document as one (*--name*
# or *-x* in scdoc's bold), so that the page cannot fall behind the program.
if(NOT PAGE OR NOT EXISTS "${PAGE}")
    message(FATAL_ERROR "${PROGRAM} has no man page in dist/man")
endif()
execute_process(COMMAND "${PROGRAM}" --help
    OUTPUT_VARIABLE help RESULT_VARIABLE code ERROR_VARIABLE err)
if(NOT code EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} --help exited with ${code}: ${err}")
endif()
file(READ "${PAGE}" page_text)

# Option lines: two spaces, then "-x, --long <VALUE>" or "--long"; descriptions that wrap start
# with more spaces and no dash.
string(REPLACE "\n" ";" help_lines "${help}")
set(listed 0)
set(missing "")
foreach(line IN LISTS help_lines)
    if(NOT line MATCHES "^  (-[^ ,]+)(, (-[^ ,]+))?")
        continue()
    endif()
    foreach(option ${CMAKE_MATCH_1} ${CMAKE_MATCH_3})
        math(EXPR listed "${listed} + 1")
        string(FIND "${page_text}" "*${option}*" at)
        if(at EQUAL -1)
            list(APPEND missing ${option})
        endif()
    endforeach()
endforeach()
if(listed EQUAL 0)
    message(FATAL_ERROR "no options found in the output of ${PROGRAM} --help:\n${help}")
endif()
if(missing)
    message(FATAL_ERROR "${PAGE} does not document: ${missing}")
endif()
message(STATUS "${listed} options of --help documented in ${PAGE}")
