# libpng with zlib, on the host only: the tests and benchmarks make their PNG
# files with it, and one test reads pictures with it to compare. The program
# decodes PNG itself (ui/pictures/png_decoder).
if(NOT WIN32)
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
