# SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
# SPDX-License-Identifier: GPL-3.0-or-later

# cmake -DPROGRAM=... -DVERSION=... -DWITH_USB=ON|OFF -DWORK_DIR=... -P ExitCodes.cmake
# The window's command line: each case is "arguments|exit code|stream:pattern", the arguments
# separated by spaces, the pattern a regular expression the stream must match.
# Usage errors must say so in exactly one line.
set(missing_dir "${WORK_DIR}/no-such-folder")
file(REMOVE_RECURSE "${missing_dir}")
set(cases
    "--help|0|stdout:--simulate"
    "--version|0|stdout:${VERSION}"
    "stray|2|stderr:^zelvarin: Unexpected argument 'stray'"
    "--simulate stray.bin|2|stderr:Unexpected argument 'stray.bin'"
    "--no-such-option|2|stderr:^zelvarin: Unknown option 'no-such-option'"
    "--screenshot|2|stderr:Missing value after '--screenshot'"
    "--simulate --trace=${missing_dir}/trace.txt|2|stderr:Cannot write the trace"
    "--simulate --trace ${missing_dir}/trace.txt|2|stderr:Cannot write the trace"
    "--simulate --screenshot ${missing_dir}/shot|3|stderr:."
    "--screenshot ${WORK_DIR}/no-box-shot|0|stderr:ZELVARIN USB not connected"
    # The toolkit's own options are the toolkit's; a screenshot says nothing of the toolkit's.
    "--help-all|0|stdout:--platform"
    "--simulate --screenshot ${WORK_DIR}/quiet|0|stderr:^$"
    "-style Fusion -reverse -qwindowgeometry 400x800+0+0 --simulate --screenshot ${WORK_DIR}/qt|0|stderr:^$"
    "-style=Fusion --platform offscreen --simulate --screenshot ${WORK_DIR}/qt2|0|stderr:^$"
    "-style Fusion --no-such-option|2|stderr:Unknown option 'no-such-option'"
)
if(WITH_USB)
    list(APPEND cases
        "--usb-id 10c4|2|stderr:--usb-id"
        "--usb-option colour=1|2|stderr:--usb-option")
endif()
# Checked with the simulated box too; a trace target that opens but takes no write is refused.
if(WITH_USB)
    list(APPEND cases
        "--simulate --usb-id 10c4|2|stderr:--usb-id"
        "--simulate --usb-option colour=1|2|stderr:--usb-option")
endif()
if(EXISTS /dev/full)
    list(APPEND cases "--simulate --trace=/dev/full|2|stderr:Cannot write the trace to /dev/full")
endif()

set(failures "")
macro(check_cases)
    foreach(case IN LISTS cases)
        string(REPLACE "|" ";" parts "${case}")
        list(GET parts 0 argument_text)
        list(GET parts 1 expected_code)
        list(GET parts 2 expectation)
        separate_arguments(arguments UNIX_COMMAND "${argument_text}")
        string(REGEX MATCH "^(stdout|stderr):(.*)$" _ "${expectation}")
        set(stream ${CMAKE_MATCH_1})
        set(pattern "${CMAKE_MATCH_2}")

        execute_process(COMMAND "${PROGRAM}" ${arguments}
            OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE code TIMEOUT 60)
        string(REGEX REPLACE "QStandardPaths:[^\n]*\n" "" err "${err}")
        set(text "${out}")
        if(stream STREQUAL "stderr")
            set(text "${err}")
        endif()
        set(shown "${argument_text}")
        if(NOT code STREQUAL expected_code)
            string(APPEND failures "\n  ${shown}: exit ${code}, expected ${expected_code} (${err})")
        elseif(NOT text MATCHES "${pattern}")
            string(APPEND failures "\n  ${shown}: ${stream} does not match '${pattern}': ${text}")
        elseif(code EQUAL 2)
            string(REGEX MATCHALL "\n" newlines "${err}")
            list(LENGTH newlines lines)
            if(NOT lines EQUAL 1)
                string(APPEND failures "\n  ${shown}: ${lines} lines on stderr, expected one: ${err}")
            endif()
        endif()
    endforeach()
endmacro()
check_cases()

# Without a display (from a shell over ssh, say) the window says so in one line, exit 2.
unset(ENV{QT_QPA_PLATFORM})
unset(ENV{WAYLAND_DISPLAY})
unset(ENV{DISPLAY})
set(cases "--simulate|2|stderr:^zelvarin: No display found")
check_cases()
set(ENV{DISPLAY} ":987")
set(cases "--simulate|2|stderr:^zelvarin: Cannot open the display :987")
check_cases()
if(failures)
    message(FATAL_ERROR "command line cases failed:${failures}")
endif()
