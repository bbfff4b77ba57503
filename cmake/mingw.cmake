# Cross compiling for Windows with the posix-threads MinGW compilers
# (GoogleTest needs std::thread and std::mutex, which the win32 variant lacks).
# Included by the toolchain files of the two targets, which name the triple.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   ${TARVELO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TARVELO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${TARVELO_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TARVELO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Debian's wine loader starts 32-bit and 64-bit programs alike; the prefix
# (WINEARCH) decides which ones can run.
find_program(TARVELO_WINE wine)
if(TARVELO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TARVELO_WINE})
endif()
