# The Windows program, its resources, the in-process tests that run under
# Wine, the test tools and the end-to-end tests.
enable_language(RC)
if(MINGW)
  set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -O coff")
endif()
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_SOURCE_DIR}")

include(${CMAKE_SOURCE_DIR}/cmake/SourceDate.cmake)

# One self-contained .exe: no MinGW runtime DLLs beside it.
if(MINGW)
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601 _WIN32_IE=0x0600 STRICT)

set(TARVELO_DIST_DIR "${CMAKE_SOURCE_DIR}/dist" CACHE PATH "Where the portable program is assembled")

include(${CMAKE_SOURCE_DIR}/resources/art.cmake)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${TARVELO_ART_DIR}")

# Resources go into an object library so that the in-process tests carry the
# same menus, pictures and manifest as the program.
file(GLOB _rc_files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*.rc)
add_library(tarvelo_resources OBJECT ${_rc_files})
add_dependencies(tarvelo_resources tarvelo_art)
set_source_files_properties(${_rc_files} PROPERTIES OBJECT_DEPENDS
  "${CMAKE_SOURCE_DIR}/resources/resource_ids.h;${CMAKE_SOURCE_DIR}/app/product.h;${CMAKE_SOURCE_DIR}/app/names.h;${CMAKE_SOURCE_DIR}/resources/tarvelo.manifest;${TARVELO_ART_FILES}")

# Everything that talks to Windows, apart from the entry point (program/).
file(GLOB _win_sources CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/app/*.cpp ${CMAKE_SOURCE_DIR}/drives/*.cpp
  ${CMAKE_SOURCE_DIR}/ui/*.cpp ${CMAKE_SOURCE_DIR}/ui/*/*.cpp ${CMAKE_SOURCE_DIR}/settings/*.cpp)
get_target_property(_portable_sources tarvelo_portable SOURCES)
foreach(_src IN LISTS _portable_sources)
  list(REMOVE_ITEM _win_sources ${CMAKE_SOURCE_DIR}/${_src})
endforeach()
add_library(tarvelo_win STATIC ${_win_sources})
# Known DLLs only: anything else is loaded at run time from the system folder
# (app/system_library.h); the import check in tests/ holds the list.
target_link_libraries(tarvelo_win PUBLIC tarvelo_portable shell32 ole32 gdi32 user32 advapi32)
tarvelo_product(tarvelo_win)
tarvelo_warnings(tarvelo_win)

add_executable(Tarvelo WIN32 program/main.cpp $<TARGET_OBJECTS:tarvelo_resources>)
target_link_libraries(Tarvelo PRIVATE tarvelo_win)
tarvelo_product(Tarvelo)
set_target_properties(Tarvelo PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TARVELO_DIST_DIR})
if(MINGW)
  # The portable program carries no symbols; the test programs keep theirs.
  target_link_options(Tarvelo PRIVATE $<$<CONFIG:Release>:-s>)
  # What each library and object adds to the program, for size work.
  target_link_options(Tarvelo PRIVATE -Wl,-Map=${CMAKE_BINARY_DIR}/Tarvelo.map)
endif()
tarvelo_warnings(Tarvelo)
add_custom_command(TARGET Tarvelo POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${TARVELO_ART_DIR}/form.png ${TARVELO_DIST_DIR}/form.png)

# In-process tests: the real windows and menus, inside a test program.
set(TARVELO_TEST_BIN_DIR ${CMAKE_BINARY_DIR}/tests-bin)
file(GLOB _wine_tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/wine/*.cpp)
add_subdirectory(tests/support)
add_executable(wine_tests ${_wine_tests} $<TARGET_OBJECTS:tarvelo_resources>)
target_link_libraries(wine_tests PRIVATE tarvelo_win tarvelo_test_support GTest::gmock GTest::gtest_main)
# The tests read the pictures' names as screen readers do; the program needs neither.
target_link_libraries(wine_tests PRIVATE oleacc oleaut32)
set_target_properties(wine_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TARVELO_TEST_BIN_DIR})
tarvelo_links_product(wine_tests)
tarvelo_warnings(wine_tests)
add_custom_command(TARGET wine_tests POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${TARVELO_ART_DIR}/form.png ${TARVELO_TEST_BIN_DIR}/form.png
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${TARVELO_ART_DIR}/reference ${TARVELO_TEST_BIN_DIR}/reference)
# The tests that run Windows programs are left out of CTest where this
# build's programs cannot run (scripts/test decides): even listing the
# in-process tests starts their program.
option(TARVELO_WINE_TESTS "Add the tests that run this build's programs under Wine" ON)
if(TARVELO_WINE_TESTS)
  gtest_discover_tests(wine_tests TEST_PREFIX "wine." DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${TARVELO_TEST_BIN_DIR}
    PROPERTIES RUN_SERIAL TRUE TIMEOUT 120)
endif()

add_subdirectory(tests/tools)
add_subdirectory(tests/e2e)
add_subdirectory(tests/package)

file(GLOB _win_benches CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/win_*.cpp)
foreach(_src IN LISTS _win_benches)
  get_filename_component(_name ${_src} NAME_WE)
  add_executable(${_name} ${_src} $<TARGET_OBJECTS:tarvelo_resources>)
  # The test support defines the drives a benchmark needs.
  target_link_libraries(${_name} PRIVATE tarvelo_win tarvelo_test_support)
  tarvelo_links_product(${_name})
  set_target_properties(${_name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TARVELO_TEST_BIN_DIR})
endforeach()
