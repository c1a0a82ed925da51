# Installation and the Debian package.
#
# `cmake --install BUILD --prefix P` (the default component) lays out an
# ordinary prefix with GNUInstallDirs:
#   P/bin/torlo, P/share/torlo/TORLO.opn, P/share/man/man6/torlo.6,
#   P/share/games/plugins/xboard/torlo.eng, P/share/doc/torlo/README.md, LICENSE
# The engine finds the book from its own location (../share/torlo next to
# bin), so the prefix can be moved as a whole.
#
# The component "debian" (never installed by a plain `cmake --install`) is
# Debian's layout for games under /usr, which `make package` (CPack's DEB
# generator) packs: /usr/games/torlo, /usr/share/games/torlo/TORLO.opn,
# the manual page and changelog compressed, the machine-readable copyright
# file in /usr/share/doc/torlo. The engine finds that book too
# (../share/games/torlo next to games).
include(GNUInstallDirs)
set(TORLO_MAINTAINER "The TORLO authors <torlo@example.org>" CACHE STRING
    "Maintainer of the Debian package, as name <address> (control file and changelog)")

# xboard's plugin file, by which xboard lists the engine among the installed
# ones: a header line naming xboard's plugin format and its version 0.0 (the
# format's short name is the four letters of the codes below; xboard skips a
# file without the header), then the command that starts the engine and the
# variants it plays.
string(ASCII 115 112 101 99 TORLO_PLUGIN_FORMAT)
set(TORLO_PLUGIN_FILE ${CMAKE_CURRENT_BINARY_DIR}/torlo.eng)
file(WRITE ${TORLO_PLUGIN_FILE} "plugin ${TORLO_PLUGIN_FORMAT} 0.0\ntorlo\nchess\n")

install(TARGETS torlo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES TORLO.opn DESTINATION ${CMAKE_INSTALL_DATADIR}/torlo)
install(FILES doc/torlo.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${TORLO_PLUGIN_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/games/plugins/xboard)
install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})

if(UNIX AND NOT APPLE)
  # Debian wants the manual page and the changelog compressed with gzip -9
  # and no timestamp in the header (reproducible builds).
  find_program(TORLO_GZIP gzip REQUIRED)
  set(TORLO_DEBIAN_DIR ${CMAKE_CURRENT_BINARY_DIR}/debian)
  add_custom_command(OUTPUT ${TORLO_DEBIAN_DIR}/torlo.6.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TORLO_DEBIAN_DIR}
    COMMAND ${TORLO_GZIP} -9nc ${CMAKE_CURRENT_SOURCE_DIR}/doc/torlo.6 > ${TORLO_DEBIAN_DIR}/torlo.6.gz
    DEPENDS doc/torlo.6 VERBATIM)
  configure_file(packaging/changelog.in ${TORLO_DEBIAN_DIR}/changelog @ONLY)
  add_custom_command(OUTPUT ${TORLO_DEBIAN_DIR}/changelog.gz
    COMMAND ${TORLO_GZIP} -9nc ${TORLO_DEBIAN_DIR}/changelog > ${TORLO_DEBIAN_DIR}/changelog.gz
    DEPENDS ${TORLO_DEBIAN_DIR}/changelog VERBATIM)
  add_custom_target(torlo_debian_files ALL DEPENDS ${TORLO_DEBIAN_DIR}/torlo.6.gz ${TORLO_DEBIAN_DIR}/changelog.gz)

  install(TARGETS torlo RUNTIME DESTINATION games COMPONENT debian EXCLUDE_FROM_ALL)
  # The package's binary is stripped (CPACK_STRIP_FILES); the compiler's
  # .comment section goes too, as Debian's own tools remove it.
  install(CODE "execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment
                                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/games/torlo\" COMMAND_ERROR_IS_FATAL ANY)"
          COMPONENT debian EXCLUDE_FROM_ALL)
  install(FILES TORLO.opn DESTINATION share/games/torlo COMPONENT debian EXCLUDE_FROM_ALL)
  install(FILES ${TORLO_DEBIAN_DIR}/torlo.6.gz DESTINATION share/man/man6 COMPONENT debian EXCLUDE_FROM_ALL)
  install(FILES ${TORLO_PLUGIN_FILE} DESTINATION share/games/plugins/xboard COMPONENT debian EXCLUDE_FROM_ALL)
  install(FILES packaging/copyright README.md ${TORLO_DEBIAN_DIR}/changelog.gz
    DESTINATION share/doc/torlo COMPONENT debian EXCLUDE_FROM_ALL)
endif()

# The package: torlo_<version>_amd64.deb, the "debian" component alone.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME torlo)
set(CPACK_PACKAGE_VERSION ${TORLO_VERSION})
set(CPACK_PACKAGE_CONTACT ${TORLO_MAINTAINER})
set(CPACK_PACKAGE_VENDOR "The TORLO authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "chess engine for xboard, UCI interfaces and the console")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL debian)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_NAME torlo)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TORLO_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xboard | polyglot")
# The long description; CPack puts the summary line before it and indents it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"TORLO is a chess engine: an alpha-beta searcher with a transposition
table, quiescence search and a small opening book. It speaks the
xboard/WinBoard protocol and, after the command uci, the UCI protocol,
so it plays under xboard (which lists it among its installed engines),
polyglot and any UCI interface such as cutechess-cli. At the console it
plays against a person typing moves in coordinate notation.")
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE OFF)
include(CPack)
