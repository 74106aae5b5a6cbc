# Import libraries that name the system DLLs as the files in the system folder
# are named: in lower case. The toolchain's name ADVAPI32.dll, GDI32.dll,
# USER32.dll and COMCTL32.DLL in capitals. Windows matches file names in any
# case, so it loads the same DLLs either way; Wine, on a file system that tells
# case apart, looks for the name as spelled, misses, and then reads the whole
# system folder (some 800 names) to match it, for each such DLL at every start
# (for advapi32 alone, 1-5 % of a small program's start). Each copy differs
# from the toolchain's library in the one member that holds the DLL's name
# (dlltool's "t" member, in .idata$7).
set(dir ${CMAKE_BINARY_DIR}/import-libraries)
set(work ${dir}/members)
file(MAKE_DIRECTORY ${work})
foreach(dll advapi32 comctl32 gdi32 user32)
  set(library ${CMAKE_FIND_ROOT_PATH}/lib/lib${dll}.a)
  set(member lib${dll}t.o)
  if(NOT EXISTS ${library})
    message(FATAL_ERROR "No import library ${library}")
  endif()
  execute_process(COMMAND ${CMAKE_AR} x ${library} ${member} WORKING_DIRECTORY ${work} COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND ${CMAKE_OBJCOPY} -O binary --only-section=.idata$7 ${member} ${dll}.name
                  WORKING_DIRECTORY ${work} COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND tr A-Z a-z INPUT_FILE ${work}/${dll}.name OUTPUT_FILE ${work}/${dll}.lower
                  COMMAND_ERROR_IS_FATAL ANY)
  file(STRINGS ${work}/${dll}.lower name LIMIT_COUNT 1)
  if(NOT name STREQUAL "${dll}.dll")
    message(FATAL_ERROR "${member} of ${library} names \"${name}\", not ${dll}.dll")
  endif()
  execute_process(COMMAND ${CMAKE_OBJCOPY} --update-section .idata$7=${dll}.lower ${member}
                  WORKING_DIRECTORY ${work} COMMAND_ERROR_IS_FATAL ANY)
  file(COPY_FILE ${library} ${work}/lib${dll}.a)
  execute_process(COMMAND ${CMAKE_AR} rD ${work}/lib${dll}.a ${work}/${member} COMMAND_ERROR_IS_FATAL ANY)
  # Replaced only when it differs, so that configuring again relinks nothing.
  file(COPY_FILE ${work}/lib${dll}.a ${dir}/lib${dll}.a ONLY_IF_DIFFERENT)
endforeach()
# Searched before the toolchain's own folder.
add_link_options(-L${dir})
