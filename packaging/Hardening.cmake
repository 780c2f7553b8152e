# SPDX-License-Identifier: GPL-3.0-or-later
# The distribution's hardening for optimised builds (Release and the like),
# as `dpkg-buildflags` gives it with every feature on: fortified C library
# calls, the stack protector, format checks, and a read-only relocation
# table bound at start (relro, bindnow). Debug builds go without: fortifying
# needs an optimised build. Optimisation and debug information stay the
# build type's.

option(KESTRELON_HARDEN "Give optimised builds the distribution's hardening flags" ON)

# hardening_flags(VAR WHICH): the hardening part of dpkg-buildflags' WHICH.
function(hardening_flags var which)
    execute_process(
        COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                ${DPKG_BUILDFLAGS} --get ${which}
        OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(flags UNIX_COMMAND "${flags}")
    list(FILTER flags EXCLUDE REGEX "^-(g|O.*|ffile-prefix-map=.*|fdebug-prefix-map=.*)$")
    set(${var} ${flags} PARENT_SCOPE)
endfunction()

if(KESTRELON_HARDEN AND NOT KESTRELON_SANITIZE AND NOT KESTRELON_FUZZ
   AND CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    find_program(DPKG_BUILDFLAGS dpkg-buildflags)
    if(DPKG_BUILDFLAGS)
        hardening_flags(cpp_flags CPPFLAGS)
        hardening_flags(cxx_flags CXXFLAGS)
        hardening_flags(ld_flags LDFLAGS)
        set(optimised "$<NOT:$<CONFIG:Debug>>")
        foreach(flag IN LISTS cpp_flags cxx_flags)
            add_compile_options("$<${optimised}:${flag}>")
        endforeach()
        foreach(flag IN LISTS ld_flags)
            add_link_options("$<${optimised}:${flag}>")
        endforeach()
        message(STATUS "Hardening for optimised builds: ${cpp_flags} ${cxx_flags} ${ld_flags}")
    else()
        message(STATUS "dpkg-buildflags not found: no hardening flags")
    endif()
endif()
