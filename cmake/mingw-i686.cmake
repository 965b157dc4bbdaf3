# cmake/mingw-i686.cmake — cross toolchain: 32-bit Windows, the program that ships
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
