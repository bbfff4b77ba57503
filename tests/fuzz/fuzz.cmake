# libFuzzer target for the skin loader. The loader is compiled again with the
# fuzzer's coverage and the sanitizers. So is libpng, from the source that
# scripts/setup unpacks to build the target's copy: the fuzzer then follows
# the decoder's branches, and the sanitizers check the decoder's writes into
# our row buffers. Without that source the system's libpng is used, blind.
# The seeds are written at test time: no binary sample lives in the repository.
set(_fuzz_sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

add_library(skin_image_fuzz_obj OBJECT ${CMAKE_SOURCE_DIR}/ui/skin/skin_image.cpp)
target_include_directories(skin_image_fuzz_obj PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(skin_image_fuzz_obj PRIVATE -fsanitize=fuzzer-no-link ${_fuzz_sanitizers})
# Lets mutated files past the checksums (see the loader).
target_compile_definitions(skin_image_fuzz_obj PRIVATE FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION)
tarvelo_warnings(skin_image_fuzz_obj)

add_executable(fuzz_skin_image ${CMAKE_CURRENT_LIST_DIR}/fuzz_skin_image.cpp $<TARGET_OBJECTS:skin_image_fuzz_obj>)
target_include_directories(fuzz_skin_image PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(fuzz_skin_image PRIVATE -fsanitize=fuzzer ${_fuzz_sanitizers})
target_link_options(fuzz_skin_image PRIVATE -fsanitize=fuzzer ${_fuzz_sanitizers})
tarvelo_warnings(fuzz_skin_image)

file(GLOB _png_source_dirs ${TARVELO_DEPS_DIR}/libpng-src/libpng1.6-*/png.c)
if(_png_source_dirs)
  list(GET _png_source_dirs 0 _png_source)
  get_filename_component(_png_source ${_png_source} DIRECTORY)
  configure_file(${_png_source}/scripts/pnglibconf.h.prebuilt ${CMAKE_BINARY_DIR}/fuzz/png/pnglibconf.h COPYONLY)
  set(_png_sources png.c pngerror.c pngget.c pngmem.c pngpread.c pngread.c pngrio.c pngrtran.c pngrutil.c pngset.c
    pngtrans.c pngwio.c pngwrite.c pngwtran.c pngwutil.c)
  list(TRANSFORM _png_sources PREPEND ${_png_source}/)
  add_library(png_fuzz_obj OBJECT ${_png_sources})
  target_include_directories(png_fuzz_obj PUBLIC ${CMAKE_BINARY_DIR}/fuzz/png ${_png_source})
  target_link_libraries(png_fuzz_obj PUBLIC ZLIB::ZLIB)
  target_compile_options(png_fuzz_obj PRIVATE -fsanitize=fuzzer-no-link ${_fuzz_sanitizers})
  target_link_libraries(skin_image_fuzz_obj PRIVATE png_fuzz_obj)
  target_link_libraries(fuzz_skin_image PRIVATE png_fuzz_obj)
else()
  message(STATUS "libpng source not found under ${TARVELO_DEPS_DIR}: the fuzzer uses the system's libpng")
  target_link_libraries(skin_image_fuzz_obj PRIVATE tarvelo::png)
  target_link_libraries(fuzz_skin_image PRIVATE tarvelo::png)
endif()

add_executable(make_skin_seeds ${CMAKE_CURRENT_LIST_DIR}/make_skin_seeds.cpp)
target_include_directories(make_skin_seeds PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(make_skin_seeds PRIVATE tarvelo::png)
tarvelo_warnings(make_skin_seeds)

set(_skin_fuzz_dir ${CMAKE_BINARY_DIR}/fuzz/skin_image)
# Chunk names and the signature: libpng's own comparisons are invisible to
# the fuzzer, so it is told them.
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
