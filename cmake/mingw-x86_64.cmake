# The 64-bit Windows program, built from the same sources.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TARVELO_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
