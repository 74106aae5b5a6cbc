# Cross build for Windows with the mingw-w64 compilers; the toolchain file of
# each target sets NW_TRIPLE and includes this.
set(CMAKE_SYSTEM_NAME Windows)
# The win32 thread model: the programs start no threads, and the posix model
# would link a pthread library into every executable for its unwinder alone.
if(NOT NW_THREADS)
  set(NW_THREADS win32)
endif()

set(CMAKE_C_COMPILER   ${NW_TRIPLE}-gcc-${NW_THREADS})
set(CMAKE_CXX_COMPILER ${NW_TRIPLE}-g++-${NW_THREADS})
set(CMAKE_RC_COMPILER  ${NW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${NW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Static runtime: the executables need no DLL beyond Windows' own.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
