# Shared part of the MinGW-w64 toolchain files; ROAMLETS_MINGW_TRIPLE names the target.
# The POSIX-threads flavour of the compiler is preferred when installed, so that
# the C++ runtime is the same in both Windows builds.
find_program(CMAKE_CXX_COMPILER NAMES ${ROAMLETS_MINGW_TRIPLE}-g++-posix ${ROAMLETS_MINGW_TRIPLE}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${ROAMLETS_MINGW_TRIPLE}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${ROAMLETS_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
