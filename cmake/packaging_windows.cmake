# Install rules and the package of a build for Windows: cpack -G ZIP makes
# vexilo-VERSION-win64.zip, whose folder of the same name holds vexilo.exe, vexilo-break.exe,
# README.md, LICENSE.txt and the manuals as plain text, manual.txt and vexilo-break-manual.txt, for
# a user without `man`. Included by
# cmake/packaging.cmake.

# vexilo.exe carries the project's version and description in its version resource, which
# Explorer shows under Properties, Details.
enable_language(RC)
configure_file(${CMAKE_CURRENT_LIST_DIR}/vexilo.rc.in ${PROJECT_BINARY_DIR}/vexilo.rc @ONLY)
target_sources(vexilo PRIVATE ${PROJECT_BINARY_DIR}/vexilo.rc)

install(TARGETS vexilo vexilo-break RUNTIME DESTINATION .)
# cpack installs what the build made and builds nothing itself: the Windows stage builds the
# program and the test programs it runs, not every target (those of the pseudo-terminal are
# POSIX's).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

find_program(VEXILO_GROFF groff REQUIRED)

# Installs SOURCE as NAME with CR LF line ends; with MANUAL, SOURCE is a manual page, formatted by
# groff as plain text first. The text is made at install time (cmake/windows_text.cmake), as the
# Debian package's compressed files are, so that cpack needs nothing but the program's own build.
#
# CR LF: the Notepad of Windows 10 before its release 1809 (still in the long-term editions) shows
# a text of bare LF as one line; every later editor, and Markdown's readers, take either.
function(vexilo_install_windows_text source name)
  set(text ${PROJECT_BINARY_DIR}/windows-texts/${name})
  set(groff "")
  if(ARGN STREQUAL "MANUAL")
    set(groff ${VEXILO_GROFF})
  endif()
  install(CODE "
    set(VEXILO_TEXT_SOURCE \"${source}\")
    set(VEXILO_TEXT_OUTPUT \"${text}\")
    set(VEXILO_TEXT_GROFF \"${groff}\")
    include(\"${CMAKE_CURRENT_FUNCTION_LIST_DIR}/windows_text.cmake\")")
  install(FILES ${text} DESTINATION .)
endfunction()

vexilo_install_windows_text(${PROJECT_SOURCE_DIR}/README.md README.md)
vexilo_install_windows_text(${PROJECT_SOURCE_DIR}/LICENSE LICENSE.txt)
vexilo_install_windows_text(${PROJECT_SOURCE_DIR}/man/vexilo.1 manual.txt MANUAL)
vexilo_install_windows_text(${PROJECT_SOURCE_DIR}/man/vexilo-break.1 vexilo-break-manual.txt MANUAL)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME vexilo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Vexilo maintainers")
# CPack's system name for a 64-bit Windows target.
set(CPACK_SYSTEM_NAME win64)
set(CPACK_STRIP_FILES ON)

include(CPack)
