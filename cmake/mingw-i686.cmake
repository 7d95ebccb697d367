# 32-bit Windows: the release, one exe for Windows XP to 11.
set(KIVO_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
