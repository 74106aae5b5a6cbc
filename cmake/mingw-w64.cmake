# Cross build for Windows with the mingw-w64 posix-thread compilers; the
# toolchain file of each target sets NW_TRIPLE and includes this.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   ${NW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${NW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${NW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${NW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Static runtime: the executables need no DLL beyond Windows' own.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
