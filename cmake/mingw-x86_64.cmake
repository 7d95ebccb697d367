# 64-bit Windows: the twin of kivo.exe that machines without 32-bit Wine test and run.
set(KIVO_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
