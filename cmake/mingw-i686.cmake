# Cross build for 32-bit Windows with Debian's MinGW-w64. kivo.exe is built with the win32
# thread model, the runtime that Windows itself provides; the programs that drive it under
# Wine (KIVO_TOOLS) with the posix model, which GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
if(KIVO_TOOLS)
    set(kivo_thread_model posix)
else()
    set(kivo_thread_model win32)
endif()
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-${kivo_thread_model})
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-${kivo_thread_model})
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
