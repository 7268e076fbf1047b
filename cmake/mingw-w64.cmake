# What both MinGW-w64 cross builds share; the toolchain files name the
# processor (i686 for the product, x86_64 for kernels without 32-bit programs).
set(CMAKE_SYSTEM_NAME Windows)
set(triple ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc)
set(CMAKE_CXX_COMPILER ${triple}-g++)
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The game carries no exceptions or RTTI, and no runtime DLLs beside it.
# (One section per function is asked for in CMakeLists.txt, not here: these
# _INIT flags reach only a build folder's first configure.)
set(CMAKE_CXX_FLAGS_INIT "-fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
