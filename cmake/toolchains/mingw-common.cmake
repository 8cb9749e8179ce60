# Shared part of the MinGW-w64 toolchain files; ROAMLETS_MINGW_TRIPLE names the target.
# The win32-threads flavour of the compiler, and only that one: the
# POSIX-threads flavour links in a threads runtime that imports functions
# Windows 95 to 2000 lack (GetTickCount64, AddVectoredExceptionHandler,
# TryEnterCriticalSection, ...), and the programs use no threads.
find_program(CMAKE_CXX_COMPILER NAMES ${ROAMLETS_MINGW_TRIPLE}-g++-win32 REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${ROAMLETS_MINGW_TRIPLE}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${ROAMLETS_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
