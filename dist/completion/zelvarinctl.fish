# SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
# SPDX-License-Identifier: GPL-3.0-or-later
#
# fish completion for zelvarinctl. The words come from the program itself
# (`zelvarinctl __complete WORD...`), so they are always those of the installed program.

function __zelvarinctl_complete
    set -l words (commandline -opc)
    set -l typed (commandline -ct)
    for candidate in ($words[1] __complete $words[2..-1] $typed 2>/dev/null)
        if test "$candidate" = @file
            __fish_complete_path $typed
        else
            echo $candidate
        end
    end
end

complete -c zelvarinctl -f -a '(__zelvarinctl_complete)'
