# nw_layer(TARGET FOLDER): gives a library of one folder of src/ its include
# root. The root holds that folder alone (a link to it), so a target sees the
# headers of the layers it links and no others: "FOLDER/Header.h" of a layer it
# does not depend on fails to build.
function(nw_layer target folder)
  set(root "${CMAKE_BINARY_DIR}/include/${folder}")
  file(MAKE_DIRECTORY "${root}")
  file(CREATE_LINK "${PROJECT_SOURCE_DIR}/src/${folder}" "${root}/${folder}" SYMBOLIC)
  target_include_directories(${target} PUBLIC "${root}")
  if(WIN32)
    # The programs have one thread: their function-local statics need no locking.
    target_compile_options(${target} PRIVATE -fno-threadsafe-statics)
  endif()
endfunction()
