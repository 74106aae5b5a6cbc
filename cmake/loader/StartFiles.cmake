# i686 only: links every executable with a copy of the compiler's crtbegin.o
# whose question "is libgcc's DLL loaded?" is answered in the program: no, as
# a static link always answers it (see static-libgcc.cpp). A specs file puts
# the copy where the driver puts crtbegin.o and changes nothing else: the same
# start-up object before it, crtend.o after the libraries.
set(dir ${CMAKE_BINARY_DIR}/startfiles)
set(work ${dir}/work)
set(source ${CMAKE_CURRENT_LIST_DIR}/static-libgcc.cpp)
file(MAKE_DIRECTORY ${work})
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})

execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=crtbegin.o
                OUTPUT_VARIABLE crtbegin OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -std=c++20 -O2 -Wall -Wextra -Werror -fno-exceptions
                        -fno-asynchronous-unwind-tables -c ${source} -o ${work}/static-libgcc.o
                COMMAND_ERROR_IS_FATAL ANY)
# The call goes through the import's pointer; the copy's goes through ours.
execute_process(COMMAND ${CMAKE_OBJCOPY} --redefine-sym __imp__GetModuleHandleA@4=_nw_libgcc_dll
                        ${crtbegin} ${work}/crtbegin-own-answer.o
                COMMAND_ERROR_IS_FATAL ANY)
# crtbegin.o first, so that its mark of where the unwind tables begin stays first.
execute_process(COMMAND ${CMAKE_LINKER} -r ${work}/crtbegin-own-answer.o ${work}/static-libgcc.o
                        -o ${work}/crtbegin.o
                COMMAND_ERROR_IS_FATAL ANY)
# Replaced only when they differ, so that configuring again relinks nothing.
file(COPY_FILE ${work}/crtbegin.o ${dir}/crtbegin.o ONLY_IF_DIFFERENT)

execute_process(COMMAND ${CMAKE_CXX_COMPILER} -dumpspecs OUTPUT_VARIABLE specs COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCH "\\*startfile:\n[^\n]*" startfile "${specs}")
string(REPLACE "crtbegin.o%s" "${dir}/crtbegin.o" own "${startfile}")
if(startfile STREQUAL "" OR own STREQUAL startfile)
  message(FATAL_ERROR "The compiler's specs name no crtbegin.o to replace")
endif()
file(CONFIGURE OUTPUT ${dir}/startfiles.specs CONTENT "${own}\n\n" @ONLY)
add_link_options(-specs=${dir}/startfiles.specs)
