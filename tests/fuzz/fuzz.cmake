# libFuzzer target for the skin loader. The loader and the PNG decoder are
# compiled again with the fuzzer's coverage and the sanitizers. The seeds are
# written at test time (by libpng): no binary sample lives in the repository.
set(_fuzz_sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

add_library(skin_image_fuzz_obj OBJECT ${CMAKE_SOURCE_DIR}/ui/skin/skin_image.cpp
  ${CMAKE_SOURCE_DIR}/ui/pictures/png_decoder.cpp)
target_include_directories(skin_image_fuzz_obj PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(skin_image_fuzz_obj PRIVATE -fsanitize=fuzzer-no-link ${_fuzz_sanitizers})
# Lets mutated files past the checksums (see the decoder).
target_compile_definitions(skin_image_fuzz_obj PRIVATE FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION)
tarvelo_warnings(skin_image_fuzz_obj)

add_executable(fuzz_skin_image ${CMAKE_CURRENT_LIST_DIR}/fuzz_skin_image.cpp $<TARGET_OBJECTS:skin_image_fuzz_obj>)
target_include_directories(fuzz_skin_image PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(fuzz_skin_image PRIVATE -fsanitize=fuzzer ${_fuzz_sanitizers})
target_link_options(fuzz_skin_image PRIVATE -fsanitize=fuzzer ${_fuzz_sanitizers})
tarvelo_warnings(fuzz_skin_image)

add_executable(make_skin_seeds ${CMAKE_CURRENT_LIST_DIR}/make_skin_seeds.cpp)
target_include_directories(make_skin_seeds PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(make_skin_seeds PRIVATE tarvelo::png)
tarvelo_warnings(make_skin_seeds)

set(_skin_fuzz_dir ${CMAKE_BINARY_DIR}/fuzz/skin_image)
# Chunk names and the signature, which the fuzzer is told rather than left to
# find one comparison at a time.
file(WRITE ${_skin_fuzz_dir}/png.dict
  "\"\\x89PNG\\x0d\\x0a\\x1a\\x0a\"\n\"IHDR\"\n\"PLTE\"\n\"tRNS\"\n\"IDAT\"\n\"IEND\"\n\"gAMA\"\n\"sRGB\"\n\"iCCP\"\n\"cHRM\"\n\"sBIT\"\n\"bKGD\"\n")
file(MAKE_DIRECTORY ${_skin_fuzz_dir}/corpus)

add_test(NAME fuzz.skin_image.seeds COMMAND make_skin_seeds ${_skin_fuzz_dir}/seeds)
set_tests_properties(fuzz.skin_image.seeds PROPERTIES FIXTURES_SETUP skin_image_seeds)
# New findings go to corpus/, which later runs start from as well.
add_test(NAME fuzz.skin_image
  COMMAND fuzz_skin_image -max_total_time=20 -timeout=5 -rss_limit_mb=2048 -malloc_limit_mb=512 -dict=${_skin_fuzz_dir}/png.dict
          -artifact_prefix=${_skin_fuzz_dir}/ -print_final_stats=1 ${_skin_fuzz_dir}/corpus ${_skin_fuzz_dir}/seeds)
# ASan's quarantine of freed blocks would otherwise grow past the RSS limit
# within the run's tens of thousands of decodes per second.
set_tests_properties(fuzz.skin_image PROPERTIES FIXTURES_REQUIRED skin_image_seeds TIMEOUT 90
  ENVIRONMENT "ASAN_OPTIONS=quarantine_size_mb=64")
