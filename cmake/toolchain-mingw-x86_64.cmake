# Cross build for 64-bit Windows with MinGW-w64 (Debian: g++-mingw-w64-x86-64):
# the same sources for machines whose kernel runs no 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
