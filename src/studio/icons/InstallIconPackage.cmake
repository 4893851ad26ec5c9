# Runs npm ci for the icon package and stops the build with a clear message when it fails.
execute_process(
  COMMAND ${NPM} ci --no-audit --no-fund --ignore-scripts
  WORKING_DIRECTORY ${WORK_DIR}
  RESULT_VARIABLE result
  OUTPUT_VARIABLE output
  ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR
    "npm ci failed in ${WORK_DIR} (exit ${result}); the studio icons need the npm package "
    "lucide-static from the npm registry.\n${output}")
endif()
if(NOT EXISTS ${WORK_DIR}/node_modules/lucide-static/package.json)
  message(FATAL_ERROR "npm ci finished but lucide-static is missing from ${WORK_DIR}/node_modules")
endif()
# Touch the stamp so a re-run is not needed when npm kept an older timestamp.
file(TOUCH ${WORK_DIR}/node_modules/lucide-static/package.json)
