# Cross build for 64-bit Windows with Debian's MinGW-w64 (packages
# g++-mingw-w64-x86-64-posix and mingw-w64). The posix thread model is
# needed for std::thread; the win32 one has none.
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TORLO_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TORLO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TORLO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TORLO_MINGW_PREFIX}-windres)
# The archiver wrappers that load the link-time optimiser's plugin.
set(CMAKE_AR ${TORLO_MINGW_PREFIX}-gcc-ar-posix)
set(CMAKE_RANLIB ${TORLO_MINGW_PREFIX}-gcc-ranlib-posix)
set(CMAKE_CXX_COMPILER_AR ${TORLO_MINGW_PREFIX}-gcc-ar-posix)
set(CMAKE_CXX_COMPILER_RANLIB ${TORLO_MINGW_PREFIX}-gcc-ranlib-posix)

set(CMAKE_FIND_ROOT_PATH /usr/${TORLO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
