# Installation and the Debian package. Included last from the top-level
# CMakeLists.txt, once the program targets exist.
#
# Layout under the prefix:
#   bin/veloka                                 launcher: starts the station in the user's data folder
#   libexec/veloka/Veloka, Updater             the programs
#   share/applications/veloka.desktop          menu entry
#   share/icons/hicolor/scalable/apps/veloka.svg
#   <VELOKA_UDEV_RULES_DIR>/70-veloka-reader.rules
# The virtual reader (sim/) is a test and demonstration tool and is not installed.
include(GNUInstallDirs)

# Installing and packaging take the programs as built (scripts/setup builds
# everything); they do not rebuild the tests and benchmarks first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(VELOKA_UDEV_RULES_DIR "lib/udev/rules.d" CACHE STRING
    "Where the reader's udev rule goes; relative to the prefix, or absolute (e.g. /etc/udev/rules.d)")

set(veloka_program_dir ${CMAKE_INSTALL_LIBEXECDIR}/veloka)
foreach(program Veloka Updater)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${veloka_program_dir} COMPONENT station)
    endif()
endforeach()

# The launcher finds the programs relative to itself, so the same script
# works for any prefix and inside the package.
file(RELATIVE_PATH VELOKA_BIN_TO_PROGRAMS /root/${CMAKE_INSTALL_BINDIR} /root/${veloka_program_dir})
configure_file(${CMAKE_SOURCE_DIR}/packaging/veloka.in ${CMAKE_BINARY_DIR}/packaging/veloka @ONLY)
install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/veloka DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT station)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/veloka.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT station)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/veloka.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT station)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/70-veloka-reader.rules
        DESTINATION ${VELOKA_UDEV_RULES_DIR} COMPONENT station)
# Setting up a shared ledger server: the script finds its SQL beside itself.
install(PROGRAMS ${CMAKE_SOURCE_DIR}/scripts/server-setup
        DESTINATION ${CMAKE_INSTALL_DATADIR}/veloka COMPONENT station)
install(FILES ${CMAKE_SOURCE_DIR}/store/sql/server-schema.sql ${CMAKE_SOURCE_DIR}/store/sql/server-roles.sql
        DESTINATION ${CMAKE_INSTALL_DATADIR}/veloka/sql COMPONENT station)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veloka)
set(CPACK_PACKAGE_VENDOR "Veloka")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Card station for charging posts: issue, top up and configure cards")
set(CPACK_PACKAGE_DESCRIPTION
    "Veloka issues and tops up the prepaid cards of charging posts for electric bikes and cars through a USB card reader, writes the cards that configure the posts, and keeps every transaction in a local database.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Veloka developers <dev@veloka.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so dpkg-shlibdeps cannot see them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt5sql5-sqlite")
# The PostgreSQL driver only for stations on a shared ledger server.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei, libqt5sql5-psql")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_SOURCE_DIR}/packaging/postinst ${CMAKE_SOURCE_DIR}/packaging/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
