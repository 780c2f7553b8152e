# SPDX-License-Identifier: GPL-3.0-or-later
# Run by CPack on the files it is about to package: takes the compiler's
# comments and the unused note sections out of the programs, as Debian's
# own packaging does.
file(GLOB programs "${CPACK_TEMPORARY_DIRECTORY}/usr/bin/*")
foreach(program IN LISTS programs)
    execute_process(
        COMMAND "${CPACK_KESTRELON_STRIP}" --remove-section=.comment --remove-section=.note
                --strip-unneeded "${program}"
        COMMAND_ERROR_IS_FATAL ANY)
endforeach()
