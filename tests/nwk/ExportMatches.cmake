# Runs the nwk program itself (under the emulator in the Windows builds) and
# holds its standard output and exit status to a checked file and status:
#   cmake -DRUN=<emulator^nwk> -DARGS=<arg^arg...> -DEXPECTED=<file> -DSTATUS=<n> -DOUT=<scratch> -P ExportMatches.cmake
# (lists separated by "^", which survives the test command line).
string(REPLACE "^" ";" RUN "${RUN}")
string(REPLACE "^" ";" ARGS "${ARGS}")
execute_process(COMMAND ${RUN} ${ARGS} OUTPUT_FILE ${OUT} RESULT_VARIABLE status)
if(NOT status EQUAL STATUS)
  message(FATAL_ERROR "nwk ${ARGS}: exit status ${status}, expected ${STATUS}")
endif()
if(EXPECTED)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT} ${EXPECTED} RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "nwk ${ARGS}: output differs from ${EXPECTED}")
  endif()
endif()
# A device (/dev/full) is no scratch file.
if(NOT OUT MATCHES "^/dev/")
  file(REMOVE ${OUT})
endif()
