# Cross build for Windows (i686).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(NW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
