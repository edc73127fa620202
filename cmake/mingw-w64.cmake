# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (posix threads, which Qt needs).
# TARVIK_CROSS_PREFIX (from the environment or the command line) holds what was built for
# Windows: Qt, SQLite, libjpeg, libmdb.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_AR ${triple}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${triple}-gcc-ranlib-posix CACHE FILEPATH "")

if(NOT TARVIK_CROSS_PREFIX AND DEFINED ENV{TARVIK_CROSS_PREFIX})
    set(TARVIK_CROSS_PREFIX $ENV{TARVIK_CROSS_PREFIX})
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TARVIK_CROSS_PREFIX)
set(CMAKE_FIND_ROOT_PATH /usr/${triple} ${TARVIK_CROSS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
