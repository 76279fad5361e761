# Writes VEXILO_TEXT_OUTPUT: the text of VEXILO_TEXT_SOURCE with CR LF line ends. When
# VEXILO_TEXT_GROFF names groff, the source is a manual page, formatted first as plain ASCII text
# (no bold or underline by overstriking, no escape sequences). Run at install time, through
# vexilo_install_windows_text in cmake/packaging_windows.cmake.
if(VEXILO_TEXT_GROFF)
  execute_process(COMMAND "${VEXILO_TEXT_GROFF}" -man -Tascii -P-cbou "${VEXILO_TEXT_SOURCE}"
                  OUTPUT_VARIABLE text ERROR_VARIABLE errors RESULT_VARIABLE status)
  if(NOT status EQUAL 0 OR errors)
    message(FATAL_ERROR "groff ${VEXILO_TEXT_SOURCE} failed (${status}):\n${errors}")
  endif()
else()
  file(READ "${VEXILO_TEXT_SOURCE}" text)
endif()
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${VEXILO_TEXT_OUTPUT}" "${text}")
