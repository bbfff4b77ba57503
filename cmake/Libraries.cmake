# libpng and zlib: Debian's libpng built for the target by scripts/setup and
# the MinGW zlib from Debian when cross-compiling; otherwise whatever the
# platform provides (the system's on Linux, vcpkg's on Windows).
if(WIN32 AND CMAKE_CROSSCOMPILING)
  set(_png_prefix "${TARVELO_DEPS_DIR}/libpng-mingw")
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    string(APPEND _png_prefix 64)
  endif()
  find_library(TARVELO_PNG_LIB NAMES png16 png PATHS "${_png_prefix}/lib" NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  find_library(TARVELO_Z_LIB NAMES libz.a z)
  if(NOT TARVELO_PNG_LIB OR NOT TARVELO_Z_LIB)
    message(FATAL_ERROR "libpng or zlib for the target is missing: run scripts/setup first")
  endif()
  add_library(tarvelo::png INTERFACE IMPORTED)
  set_target_properties(tarvelo::png PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${_png_prefix}/include"
    INTERFACE_LINK_LIBRARIES "${TARVELO_PNG_LIB};${TARVELO_Z_LIB}")
else()
  find_package(PNG REQUIRED)
  add_library(tarvelo::png INTERFACE IMPORTED)
  set_target_properties(tarvelo::png PROPERTIES INTERFACE_LINK_LIBRARIES PNG::PNG)
endif()

# GoogleTest from the sources Debian ships, built with our own compiler; on
# Windows from vcpkg.
set(TARVELO_GTEST_SRC /usr/src/googletest CACHE PATH "GoogleTest sources")
if(EXISTS ${TARVELO_GTEST_SRC}/CMakeLists.txt)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(${TARVELO_GTEST_SRC} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
else()
  find_package(GTest CONFIG REQUIRED)
endif()
include(GoogleTest)
