# How the program's own code is compiled and linked for size in the MinGW
# builds. The options belong to the product's targets, not to the flag
# variables: every program that links the product libraries (the test
# programs and benchmarks too) then links them exactly as the shipped
# executable does, while GoogleTest and the test tools that do not link them
# are left as CMake builds them. Host builds take none of it.
#
# Each function and object in a section of its own lets the linker leave out
# what nothing uses (DWARF unwind tables keep every function that has one:
# in C++ code that is most). The skin's pixel loops are small code too: with
# the default skin they take under 15 ms at start-up even at 200 % (measured
# under Wine; for speed they took 5). Nothing asks an object for its type at
# run time; exceptions carry the type information they need without it.
# Link-time optimisation leaves out what nothing calls. The linker alone
# cannot: the unwind tables refer to every function they describe, and they
# are always kept. At -Os GCC 12 merges each constructor's variants into one
# that its link-time alias pass then fails on (an internal compiler error in
# binds_to_current_def_p); the variants are kept apart.
add_library(tarvelo_product_options INTERFACE)
if(MINGW)
  target_compile_options(tarvelo_product_options INTERFACE
    $<$<CONFIG:Release>:-Os> -ffunction-sections -fdata-sections
    $<$<COMPILE_LANGUAGE:CXX>:-fno-rtti -fno-declone-ctor-dtor>)
  target_link_options(tarvelo_product_options INTERFACE -Wl,--gc-sections)
endif()

# A target of the product: the options above, and link-time optimisation in
# the MinGW Release builds. The options go on with the target to whatever
# links it, so that a test program's code meets the product's classes built
# the same way (without type information on both sides).
function(tarvelo_product target)
  target_link_libraries(${target} PUBLIC tarvelo_product_options)
  if(MINGW)
    set_property(TARGET ${target} PROPERTY INTERPROCEDURAL_OPTIMIZATION_RELEASE ON)
  endif()
endfunction()

# A program that links the product's libraries without being part of the
# product (the in-process tests, the benchmarks): its own objects are built
# for link-time optimisation too, in the same builds. The 32-bit linker
# cannot join an inline function that one of the program's plain objects
# and one of the libraries' link-time objects both define (the two land in
# sections it does not merge); plain objects from other libraries, such as
# GoogleTest's, are joined.
function(tarvelo_links_product)
  if(MINGW)
    set_property(TARGET ${ARGV} PROPERTY INTERPROCEDURAL_OPTIMIZATION_RELEASE ON)
  endif()
endfunction()
