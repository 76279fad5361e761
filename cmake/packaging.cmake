# Install rules and the package: in a build for Linux the Debian package (cpack -G DEB), in a
# build for Windows a ZIP archive (cpack -G ZIP, cmake/packaging_windows.cmake).

# Each manual page's header names the version that --version shows.
foreach(vexilo_program vexilo vexilo-break)
  file(STRINGS ${PROJECT_SOURCE_DIR}/man/${vexilo_program}.1 vexilo_man_header REGEX "^\\.TH ")
  if(NOT vexilo_man_header MATCHES " \"${vexilo_program} ${PROJECT_VERSION}\" ")
    message(FATAL_ERROR
            "man/${vexilo_program}.1: the .TH line does not name version ${PROJECT_VERSION}")
  endif()
endforeach()

if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/packaging_windows.cmake)
  return()
endif()

include(GNUInstallDirs)

install(TARGETS vexilo vexilo-break RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Installs SOURCE compressed as NAME.gz into DESTINATION. gzip -9n stores neither the name nor a
# time, so one source always gives the same bytes, as Debian asks. The file is compressed at
# install time, so an install needs nothing but the program's own build.
function(vexilo_install_compressed source name destination)
  set(compressed ${PROJECT_BINARY_DIR}/${name}.gz)
  install(CODE "
    execute_process(COMMAND gzip -9n -c \"${source}\" OUTPUT_FILE \"${compressed}\"
                    RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR \"gzip -9n ${source} failed: \${status}\")
    endif()")
  install(FILES ${compressed} DESTINATION ${destination})
endfunction()

vexilo_install_compressed(${PROJECT_SOURCE_DIR}/man/vexilo.1 vexilo.1 ${CMAKE_INSTALL_MANDIR}/man1)
vexilo_install_compressed(${PROJECT_SOURCE_DIR}/man/vexilo-break.1 vexilo-break.1
                          ${CMAKE_INSTALL_MANDIR}/man1)

# The package's change log, in Debian's format; its latest entry is the version being built.
file(STRINGS ${PROJECT_SOURCE_DIR}/cmake/debian-changelog vexilo_changelog_top LIMIT_COUNT 1)
if(NOT vexilo_changelog_top MATCHES "^vexilo \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "cmake/debian-changelog: the latest entry is not version ${PROJECT_VERSION}")
endif()
vexilo_install_compressed(${PROJECT_SOURCE_DIR}/cmake/debian-changelog changelog
                          ${CMAKE_INSTALL_DOCDIR})

# share/doc/vexilo/copyright in Debian's machine-readable format, the licence text taken from
# LICENSE: Debian's name for the MIT licence is Expat, and its text follows the "License:" line
# indented by a blank, an empty line written as " .".
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
file(READ ${PROJECT_SOURCE_DIR}/LICENSE vexilo_license)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" vexilo_copyright "${vexilo_license}")
set(vexilo_copyright "${CMAKE_MATCH_1}")
string(FIND "${vexilo_license}" "Permission is hereby granted" vexilo_license_start)
string(SUBSTRING "${vexilo_license}" ${vexilo_license_start} -1 vexilo_license)
string(STRIP "${vexilo_license}" vexilo_license)
string(REGEX REPLACE "\n\n" "\n.\n" vexilo_license "${vexilo_license}")
string(REGEX REPLACE "\n" "\n " vexilo_license "${vexilo_license}")
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/copyright CONTENT
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: vexilo

Files: *
Copyright: ${vexilo_copyright}
License: Expat
 ${vexilo_license}
" @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vexilo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Vexilo maintainers")
set(CPACK_PACKAGE_CONTACT "Vexilo maintainers <maintainers@vexilo.org>")
# The synopsis is the manual page's: Debian wants it without an article.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "console cipher machine of three rotors, a reflector and a plugboard")
# Lines of the long description stay under 80 columns, as Debian asks.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Vexilo enciphers text on the console: letter by letter, letter by letter with"
  "a trace of each letter's path, a typed line at a time, or a whole text file"
  "into another. A machine setting is chosen by its hexadecimal ID or at random;"
  "every new setting and component is kept in plain text files in the working"
  "directory, so that it can be chosen again in later runs."
  "."
  "Beside it, vexilo-break breaks its messages as the known attacks do: every"
  "stored setting tried and scored for English, a guessed word, or every choice"
  "of the stored components."
  "."
  "It is a faithful toy of a historical rotor cipher, for learning and for fun."
  "Its ciphertext is broken by known methods in minutes: it must never be used"
  "to protect secrets.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The Depends field comes from the shared libraries that the program links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The package's architecture is the one the compiler builds for, not the building machine's
# (CPack's default): Debian's name for the compiler's target triple.
if(CMAKE_CXX_COMPILER_TARGET)
  set(vexilo_target_triple ${CMAKE_CXX_COMPILER_TARGET})
else()
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -dumpmachine OUTPUT_VARIABLE vexilo_target_triple
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
find_program(VEXILO_DPKG_ARCHITECTURE dpkg-architecture)
if(vexilo_target_triple AND VEXILO_DPKG_ARCHITECTURE)
  execute_process(COMMAND ${VEXILO_DPKG_ARCHITECTURE} -t${vexilo_target_triple} -qDEB_HOST_ARCH
                  OUTPUT_VARIABLE vexilo_debian_architecture OUTPUT_STRIP_TRAILING_WHITESPACE
                  ERROR_QUIET RESULT_VARIABLE vexilo_dpkg_status)
  if(vexilo_dpkg_status EQUAL 0 AND vexilo_debian_architecture)
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${vexilo_debian_architecture})
  endif()
endif()
if(NOT CPACK_DEBIAN_PACKAGE_ARCHITECTURE)
  message(WARNING "No Debian architecture for the target '${vexilo_target_triple}': "
                  "the package takes the building machine's")
endif()

include(CPack)
