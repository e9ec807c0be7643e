# cmake -DBINARY=<executable> -DFORBIDDEN=<regex> -DWHAT=<words> -P CheckNeeded.cmake
# Fails when a NEEDED entry of the executable's dynamic section matches FORBIDDEN.
find_program(READELF readelf REQUIRED)
execute_process(COMMAND ${READELF} -d ${BINARY}
  OUTPUT_VARIABLE dynamic RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "readelf -d ${BINARY} failed (${status})")
endif()
string(REGEX MATCHALL "\\(NEEDED\\)[^\n]*\\[[^]\n]+\\]" needed "${dynamic}")
if(NOT needed)
  message(FATAL_ERROR "no NEEDED entries found in ${BINARY}; is it dynamically linked?")
endif()
foreach(entry IN LISTS needed)
  if(entry MATCHES "\\[(${FORBIDDEN})\\.so")
    message(FATAL_ERROR "${BINARY} links ${WHAT}: ${entry}")
  endif()
endforeach()
list(LENGTH needed count)
message(STATUS "${count} NEEDED entries, none of them ${WHAT}")
