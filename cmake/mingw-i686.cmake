# The 32-bit Windows program, the main product.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TARVELO_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
