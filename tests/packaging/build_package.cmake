# Builds the Debian package afresh into PACKAGE_DIR with the build tree's CPack configuration.
file(REMOVE_RECURSE "${PACKAGE_DIR}")
execute_process(
  COMMAND "${CPACK}" -G DEB --config "${CPACK_CONFIG}" -B "${PACKAGE_DIR}"
  RESULT_VARIABLE result
  OUTPUT_VARIABLE output
  ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cpack failed (${result}):\n${output}")
endif()
file(GLOB packages "${PACKAGE_DIR}/*.deb")
list(LENGTH packages count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one package in ${PACKAGE_DIR}, found: ${packages}")
endif()
