# Install rules and the Debian package.
include(GNUInstallDirs)

install(TARGETS vexilo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES man/vexilo.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vexilo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Vexilo maintainers")
set(CPACK_PACKAGE_CONTACT "Vexilo maintainers <maintainers@users.noreply.c-seed-9982fdba.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# Lines of the long description stay under 80 columns, as Debian asks.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Vexilo enciphers text on the console: letter by letter, letter by letter with"
  "a trace of each letter's path, a typed line at a time, or a whole text file"
  "into another. A machine setting is chosen by its hexadecimal ID or at random;"
  "every new setting and component is kept in plain text files in the working"
  "directory, so that it can be chosen again in later runs.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The Depends field comes from the shared libraries that the program links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)

include(CPack)
