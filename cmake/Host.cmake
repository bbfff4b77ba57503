# Host build: the portable code with fast unit tests, the fuzzers and the
# benchmarks that need no window.
if(TARVELO_FUZZ)
  # The unit tests run in the sanitizer build; this one only fuzzes.
  include(${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz.cmake)
else()
  file(GLOB _native_tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*.cpp)
  add_executable(native_tests ${_native_tests})
  target_link_libraries(native_tests PRIVATE tarvelo_portable GTest::gtest_main)
  tarvelo_warnings(native_tests)
  gtest_discover_tests(native_tests TEST_PREFIX "native." DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
endif()

file(GLOB _host_benches CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/host_*.cpp)
foreach(_src IN LISTS _host_benches)
  get_filename_component(_name ${_src} NAME_WE)
  add_executable(${_name} ${_src})
  target_link_libraries(${_name} PRIVATE tarvelo_portable)
  tarvelo_warnings(${_name})
endforeach()
