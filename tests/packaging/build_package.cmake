# Builds the package afresh into PACKAGE_DIR with the build tree's CPack configuration: with
# GENERATOR, CPack's generator (DEB, the Debian package, when not given; ZIP for Windows).
if(NOT GENERATOR)
  set(GENERATOR DEB)
endif()
file(REMOVE_RECURSE "${PACKAGE_DIR}")
execute_process(
  COMMAND "${CPACK}" -G ${GENERATOR} --config "${CPACK_CONFIG}" -B "${PACKAGE_DIR}"
  RESULT_VARIABLE result
  OUTPUT_VARIABLE output
  ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cpack failed (${result}):\n${output}")
endif()
string(TOLOWER ${GENERATOR} extension)
file(GLOB packages "${PACKAGE_DIR}/*.${extension}")
list(LENGTH packages count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one package in ${PACKAGE_DIR}, found: ${packages}")
endif()
