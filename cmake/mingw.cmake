# Cross build for Windows with the Debian mingw-w64 toolchain. SOREA_MINGW_ARCH picks the
# processor: x86_64 (the default) or i686 (32-bit Windows: doubles in SSE2, long double x87).
if(NOT SOREA_MINGW_ARCH)
  set(SOREA_MINGW_ARCH x86_64)
endif()
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${SOREA_MINGW_ARCH})

set(SOREA_MINGW_TRIPLE ${SOREA_MINGW_ARCH}-w64-mingw32)
# The unit tests need the posix thread model (GoogleTest takes std::mutex); the programs use no
# threads and keep the default win32 model.
if(SOREA_MINGW_POSIX_THREADS)
  set(SOREA_MINGW_THREADS -posix)
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES SOREA_MINGW_POSIX_THREADS SOREA_MINGW_ARCH)
set(CMAKE_C_COMPILER ${SOREA_MINGW_TRIPLE}-gcc${SOREA_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${SOREA_MINGW_TRIPLE}-g++${SOREA_MINGW_THREADS})
set(CMAKE_RC_COMPILER ${SOREA_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${SOREA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Jw_cad users copy one .exe: the C and C++ runtimes go into it, only system DLLs stay outside.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
