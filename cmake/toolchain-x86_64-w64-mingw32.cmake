# Cross build for Windows (x86_64).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(NW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
