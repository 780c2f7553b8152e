# SPDX-License-Identifier: GPL-3.0-or-later
# The documents a Debian system expects beside the program, and the Debian
# package made from the same install rules: `cpack -G DEB` in a build
# directory.

set(KESTRELON_PACKAGER "Kestrelon developers <kestrelon@example.org>"
    CACHE STRING "Maintainer named in the Debian package and its changelog")

set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/kestrelon)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${doc_dir})

# The changelog and the manual page, compressed as Debian keeps them.
find_program(GZIP gzip)
if(GZIP)
    set(packaging_dir ${PROJECT_BINARY_DIR}/packaging)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${packaging_dir}/changelog @ONLY)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/kestrelon.1.in ${packaging_dir}/kestrelon.1
                   @ONLY)
    foreach(name changelog kestrelon.1)
        add_custom_command(OUTPUT ${packaging_dir}/${name}.gz
            COMMAND ${GZIP} -9nkf ${packaging_dir}/${name}
            DEPENDS ${packaging_dir}/${name}
            VERBATIM)
        list(APPEND compressed ${packaging_dir}/${name}.gz)
    endforeach()
    add_custom_target(kestrelon_documents ALL DEPENDS ${compressed})
    install(FILES ${packaging_dir}/changelog.gz DESTINATION ${doc_dir})
    install(FILES ${packaging_dir}/kestrelon.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

set(CPACK_PACKAGE_NAME kestrelon)
set(CPACK_PACKAGE_VENDOR "The Kestrelon developers")
set(CPACK_PACKAGE_CONTACT "${KESTRELON_PACKAGER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "browser for hierarchical reference vocabularies")
# Lines of at most 80 characters, as Debian's tools want them.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Kestrelon is a small, read-only desktop browser for hierarchical"
    "reference vocabularies kept in a relational database: the lithology"
    "classification (version 6) and the stratigraphic time scale. Expand the"
    "tree of terms, select one and press Define to read its name, definition"
    "and level. It reads through ODBC, for example from a SQLite file or a"
    "PostgreSQL server.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Stripped of symbols, and of the sections Debian's own packages leave out.
set(CPACK_STRIP_FILES ON)
set(CPACK_KESTRELON_STRIP "${CMAKE_STRIP}")
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/StripSections.cmake)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The Qt and unixODBC libraries the program links, as dpkg-shlibdeps finds
# them; Qt's platform plugins, which it loads to open a window; an ODBC
# driver for the demo's and most users' SQLite files; the drivers for other
# servers, Qt's Wayland platform, and the ODBC tools and documents the
# manual page refers to.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libsqliteodbc")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS
    "odbc-postgresql, qt6-wayland, unixodbc, odbcinst, unixodbc-common")

include(CPack)
