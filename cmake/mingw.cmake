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

# The tests run through Wine's loader of the target's own architecture, named
# directly: Debian's /usr/bin/wine wrapper always takes the 32-bit loader when
# it is installed, and some machines cannot run 32-bit programs at all. Where
# Wine is laid out otherwise, `wine` is the loader itself.
if(TARVELO_MINGW_TRIPLE MATCHES "^x86_64")
  set(_wine_loader wine64)
else()
  set(_wine_loader wine)
endif()
find_program(TARVELO_WINE_LOADER NAMES ${_wine_loader} PATHS /usr/lib/wine NO_DEFAULT_PATH NO_CACHE)
if(NOT TARVELO_WINE_LOADER)
  find_program(TARVELO_WINE_LOADER NAMES ${_wine_loader} wine NO_CACHE)
endif()
if(TARVELO_WINE_LOADER)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TARVELO_WINE_LOADER})
endif()
