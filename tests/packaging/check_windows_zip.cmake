# Checks the Windows package that build_package.cmake made in PACKAGE_DIR: vexilo-VERSION-win64.zip
# holds, in a folder of its name, vexilo.exe, vexilo-break.exe and their texts with CR LF line
# ends, the manuals as plain text; vexilo.exe imports no DLL but Windows' own (as OBJDUMP -p names them), and run by
# EMULATOR it answers --version with the project's version.
cmake_minimum_required(VERSION 3.25)
set(name vexilo-${VERSION}-win64)
set(unpacked "${PACKAGE_DIR}/unpacked")
file(REMOVE_RECURSE "${unpacked}")
file(ARCHIVE_EXTRACT INPUT "${PACKAGE_DIR}/${name}.zip" DESTINATION "${unpacked}")
file(GLOB_RECURSE entries LIST_DIRECTORIES false RELATIVE "${unpacked}" "${unpacked}/*")
list(SORT entries)
set(expected ${name}/LICENSE.txt ${name}/README.md ${name}/manual.txt ${name}/vexilo-break-manual.txt
             ${name}/vexilo-break.exe ${name}/vexilo.exe)
if(NOT entries STREQUAL expected)
  message(FATAL_ERROR "${name}.zip holds:\n  ${entries}\ninstead of:\n  ${expected}")
endif()

# The texts byte by byte, as hexadecimal pairs each followed by a blank (file(READ) drops CRs).
foreach(text LICENSE.txt README.md manual.txt vexilo-break-manual.txt)
  file(READ "${unpacked}/${name}/${text}" bytes HEX)
  string(REGEX REPLACE "(..)" "\\1 " bytes "${bytes}")
  string(REPLACE "0d 0a " "" withoutLineEnds "${bytes}")
  if(NOT bytes MATCHES "0d 0a " OR withoutLineEnds MATCHES "(^| )0a ")
    message(FATAL_ERROR "${text}: a line does not end in CR LF")
  endif()
  if(bytes MATCHES "(^| )(08|1b) ")
    message(FATAL_ERROR "${text}: overstriking or escape sequences instead of plain text")
  endif()
endforeach()
file(READ "${unpacked}/${name}/manual.txt" manual)
if(NOT manual MATCHES "\nSYNOPSIS\n +vexilo\n")
  message(FATAL_ERROR "manual.txt is not the formatted manual page:\n${manual}")
endif()

# Windows' own DLLs; the C++ runtime (libstdc++-6.dll, libgcc_s_seh-1.dll, libwinpthread-1.dll)
# is linked in.
set(windows_dlls kernel32.dll msvcrt.dll advapi32.dll user32.dll bcrypt.dll ntdll.dll
                 shell32.dll ws2_32.dll)
foreach(program vexilo vexilo-break)
  execute_process(COMMAND "${OBJDUMP}" -p "${unpacked}/${name}/${program}.exe"
                  OUTPUT_VARIABLE headers RESULT_VARIABLE status)
  string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${headers}")
  if(NOT status EQUAL 0 OR NOT imports)
    message(FATAL_ERROR "${OBJDUMP} -p ${program}.exe failed (${status}) or named no DLL")
  endif()
  foreach(import ${imports})
    string(REGEX REPLACE "^DLL Name: " "" dll "${import}")
    string(TOLOWER "${dll}" dll)
    if(NOT dll IN_LIST windows_dlls AND NOT dll MATCHES "^api-ms-win-")
      message(FATAL_ERROR "${program}.exe needs ${dll}, which Windows does not have")
    endif()
  endforeach()
endforeach()

execute_process(COMMAND ${EMULATOR} "${unpacked}/${name}/vexilo.exe" --version
                OUTPUT_VARIABLE version RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT version MATCHES "^vexilo ${VERSION}\r?\n$")
  message(FATAL_ERROR "vexilo.exe --version: status ${status}, wrote \"${version}\"")
endif()
execute_process(COMMAND ${EMULATOR} "${unpacked}/${name}/vexilo-break.exe" --version
                OUTPUT_VARIABLE version RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT version MATCHES "^vexilo-break ${VERSION}\r?\n$")
  message(FATAL_ERROR "vexilo-break.exe --version: status ${status}, wrote \"${version}\"")
endif()
