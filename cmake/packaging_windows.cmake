# Install rules and the package of a build for Windows: cpack -G ZIP makes
# vexilo-VERSION-win64.zip, a Windows learner's folder of the same name: the programs, README.html
# (written for Windows, from docs/windows-readme.md), the guide to the machine with its pictures and
# the store's document as pages that open in a browser from the folder, the example store, each
# manual page as HTML and as plain text, and LICENSE.txt. Included by cmake/packaging.cmake.

# vexilo.exe carries the project's version and description in its version resource, which
# Explorer shows under Properties, Details.
enable_language(RC)
configure_file(${CMAKE_CURRENT_LIST_DIR}/vexilo.rc.in ${PROJECT_BINARY_DIR}/vexilo.rc @ONLY)
target_sources(vexilo PRIVATE ${PROJECT_BINARY_DIR}/vexilo.rc)

# cpack installs what the build made and builds nothing itself: the Windows stage builds the
# program and the test programs it runs, not every target (those of the pseudo-terminal are
# POSIX's).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

find_program(VEXILO_GROFF groff REQUIRED)
find_program(VEXILO_PANDOC pandoc REQUIRED)
find_program(VEXILO_MANDOC mandoc REQUIRED)

# Every file of the ZIP as "SOURCE=PLACE": its source from the repository's root (or the program's
# target), and its place from the ZIP folder's root. The pages' links follow it, and the package's
# check expects exactly these places. Written when the build is generated, so that it lists every
# file, also those added after the pages.
set(vexilo_zip_places ${PROJECT_BINARY_DIR}/windows-zip-places.txt)
file(GENERATE OUTPUT ${vexilo_zip_places}
  CONTENT "$<JOIN:$<TARGET_PROPERTY:vexilo,VEXILO_ZIP_PLACES>,\n>\n")
function(vexilo_zip_place source place)
  set_property(TARGET vexilo APPEND PROPERTY VEXILO_ZIP_PLACES "${source}=${place}")
endfunction()

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
  file(RELATIVE_PATH from ${PROJECT_SOURCE_DIR} ${source})
  vexilo_zip_place(${from} ${name})
endfunction()

# Installs the page SOURCE (from the repository's root: Markdown, or a manual page) as the HTML
# page PLACE (from the ZIP's root), made at install time by cmake/windows_page.cmake.
function(vexilo_install_windows_page source place)
  set(page ${PROJECT_BINARY_DIR}/windows-pages/${place})
  if(source MATCHES "\\.md$")
    set(tool ${VEXILO_PANDOC})
  else()
    set(tool ${VEXILO_MANDOC})
  endif()
  get_filename_component(folder ${page} DIRECTORY)
  install(CODE "
    file(MAKE_DIRECTORY \"${folder}\")
    set(VEXILO_PAGE_SOURCE \"${PROJECT_SOURCE_DIR}/${source}\")
    set(VEXILO_PAGE_NAME \"${source}\")
    set(VEXILO_PAGE_PLACE \"${place}\")
    set(VEXILO_PAGE_PLACES \"${vexilo_zip_places}\")
    set(VEXILO_PAGE_OUTPUT \"${page}\")
    set(VEXILO_PAGE_TOOL \"${tool}\")
    include(\"${CMAKE_CURRENT_FUNCTION_LIST_DIR}/windows_page.cmake\")")
  get_filename_component(destination ${place} DIRECTORY)
  install(FILES ${page} DESTINATION ./${destination})
  vexilo_zip_place(${source} ${place})
endfunction()

# Installs the repository's files SOURCES as they are, each at the same place in the ZIP.
function(vexilo_install_windows_files)
  foreach(source ${ARGN})
    get_filename_component(destination ${source} DIRECTORY)
    install(FILES ${PROJECT_SOURCE_DIR}/${source} DESTINATION ./${destination})
    vexilo_zip_place(${source} ${source})
  endforeach()
endfunction()

# Installs the program TARGET as TARGET.exe, and its manual page MANUAL_PAGE (from the
# repository's root) as NAME.html and NAME.txt; links to the manual page lead to the HTML page,
# the place named last. One line per program of the ZIP.
function(vexilo_install_windows_program target manual_page name)
  install(TARGETS ${target} RUNTIME DESTINATION .)
  vexilo_zip_place(target:${target} ${target}.exe)
  vexilo_install_windows_text(${PROJECT_SOURCE_DIR}/${manual_page} ${name}.txt MANUAL)
  vexilo_install_windows_page(${manual_page} ${name}.html)
endfunction()

vexilo_install_windows_program(vexilo man/vexilo.1 manual)
vexilo_install_windows_program(vexilo-break man/vexilo-break.1 vexilo-break-manual)

vexilo_install_windows_page(docs/windows-readme.md README.html)
# The repository's README, for Linux first, is not in the ZIP: links to it lead to the Windows one.
vexilo_zip_place(README.md README.html)
vexilo_install_windows_page(docs/machine.md docs/machine.html)
vexilo_install_windows_page(docs/store.md docs/store.html)
vexilo_install_windows_page(docs/breaking.md docs/breaking.html)
vexilo_install_windows_files(docs/signal-path.svg docs/signal-path-after-one-step.svg
  docs/data/example-store/ExistingRotorSettings26.txt docs/data/example-store/ExistingReflectorSettings26.txt
  docs/data/example-store/ExistingPlugBoardSettings26.txt docs/data/example-store/initalSettings26.txt)
vexilo_install_windows_text(${PROJECT_SOURCE_DIR}/LICENSE LICENSE.txt)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME vexilo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Vexilo maintainers")
# CPack's system name for a 64-bit Windows target.
set(CPACK_SYSTEM_NAME win64)
set(CPACK_STRIP_FILES ON)

include(CPack)
