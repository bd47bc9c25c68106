# Cross build of the 32-bit Windows DLL with MinGW-w64 (Debian package g++-mingw-w64-i686).
#   cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(OVOID_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${OVOID_MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${OVOID_MINGW_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${OVOID_MINGW_PREFIX}-windres)
set(CMAKE_AR ${OVOID_MINGW_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${OVOID_MINGW_PREFIX}-ranlib CACHE FILEPATH "")

# Look for headers and libraries in the MinGW sysroot only, programs on the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${OVOID_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Cross-built programs run under Wine when CMake or CTest needs to execute them.
find_program(OVOID_WINE wine)
if(OVOID_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${OVOID_WINE})
endif()
