# cmake/mingw-x86_64.cmake — cross toolchain: 64-bit Windows, for the tests where the kernel runs no 32-bit programs
# (see scripts/lib/arch.sh)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
