# Runs the nwk program itself (under the emulator in the Windows builds) and
# holds its standard output and exit status to a checked file and status:
#   cmake -DRUN=<emulator^nwk> -DARGS=<arg^arg...> -DEXPECTED=<file> -DSTATUS=<n> -DOUT=<scratch> [-DCRLF=1]
#         -P ExportMatches.cmake
# With CRLF, the output is text whose line ends are CR LF where the file has LF.
# (lists separated by "^", which survives the test command line).
string(REPLACE "^" ";" RUN "${RUN}")
string(REPLACE "^" ";" ARGS "${ARGS}")
execute_process(COMMAND ${RUN} ${ARGS} OUTPUT_FILE ${OUT} RESULT_VARIABLE status)
if(NOT status EQUAL STATUS)
  message(FATAL_ERROR "nwk ${ARGS}: exit status ${status}, expected ${STATUS}")
endif()
if(EXPECTED AND CRLF)
  # Text goes to a file with CR LF line ends on Windows: the checked file has LF.
  file(READ ${EXPECTED} text)
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${OUT}.expected "${text}")
  set(EXPECTED ${OUT}.expected)
endif()
if(EXPECTED)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT} ${EXPECTED} RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "nwk ${ARGS}: output differs from ${EXPECTED}")
  endif()
endif()
# A device (/dev/full) is no scratch file.
if(NOT OUT MATCHES "^/dev/")
  file(REMOVE ${OUT} ${OUT}.expected)
endif()
