# Cross build for Windows with Debian's MinGW-w64, for the processor that the toolchain file
# including this one sets (KIVO_MINGW_PROCESSOR: i686 or x86_64). kivo.exe is built with the
# win32 thread model, the runtime that Windows itself provides; the programs that drive it
# under Wine (KIVO_TOOLS) with the posix model, which GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${KIVO_MINGW_PROCESSOR})
if(KIVO_TOOLS)
    set(kivo_thread_model posix)
else()
    set(kivo_thread_model win32)
endif()
set(kivo_triplet ${KIVO_MINGW_PROCESSOR}-w64-mingw32)
set(CMAKE_C_COMPILER ${kivo_triplet}-gcc-${kivo_thread_model})
set(CMAKE_CXX_COMPILER ${kivo_triplet}-g++-${kivo_thread_model})
set(CMAKE_RC_COMPILER ${kivo_triplet}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${kivo_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
