# Writes VEXILO_PAGE_OUTPUT: the HTML page of VEXILO_PAGE_SOURCE for the Windows ZIP, made by
# VEXILO_PAGE_TOOL. A Markdown source goes through pandoc (GitHub's Markdown, one whole page with
# its style inside, no file fetched from anywhere), its links moved to the ZIP's places by
# cmake/windows_page_links.lua; a manual page through mandoc -Thtml, which also keeps its style
# inside. VEXILO_PAGE_NAME is the source's name from the repository's root, VEXILO_PAGE_PLACE the
# page's place in the ZIP, VEXILO_PAGE_PLACES the list of every file's place. Run at install time,
# through vexilo_install_windows_page in cmake/packaging_windows.cmake.
if(VEXILO_PAGE_SOURCE MATCHES "\\.md$")
  file(STRINGS "${VEXILO_PAGE_SOURCE}" heading LIMIT_COUNT 1 REGEX "^# ")
  string(REGEX REPLACE "^# +" "" title "${heading}")
  execute_process(
    COMMAND "${VEXILO_PAGE_TOOL}" --from=gfm --to=html5 --standalone
            "--metadata=pagetitle:${title}"
            "--metadata=vexilo-source:${VEXILO_PAGE_NAME}"
            "--metadata=vexilo-page:${VEXILO_PAGE_PLACE}"
            "--metadata=vexilo-places:${VEXILO_PAGE_PLACES}"
            "--lua-filter=${CMAKE_CURRENT_LIST_DIR}/windows_page_links.lua"
            "--output=${VEXILO_PAGE_OUTPUT}" "${VEXILO_PAGE_SOURCE}"
    ERROR_VARIABLE errors RESULT_VARIABLE status)
else()
  execute_process(COMMAND "${VEXILO_PAGE_TOOL}" -Thtml "${VEXILO_PAGE_SOURCE}"
                  OUTPUT_FILE "${VEXILO_PAGE_OUTPUT}" ERROR_VARIABLE errors RESULT_VARIABLE status)
endif()
if(NOT status EQUAL 0 OR errors)
  message(FATAL_ERROR "${VEXILO_PAGE_TOOL} ${VEXILO_PAGE_SOURCE} failed (${status}):\n${errors}")
endif()
