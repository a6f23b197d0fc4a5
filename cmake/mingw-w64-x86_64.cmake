# Cross-builds for 64-bit Windows with Debian's mingw-w64 compilers of the
# posix thread model (the win32 model has no std::mutex or std::thread):
#   cmake -S . -B build-win -G Ninja --toolchain cmake/mingw-w64-x86_64.cmake
# Programs and the module link -static, so they import system DLLs only.
# Tests run under Wine (see cmake/MivoWindows.cmake).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MIVO_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MIVO_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MIVO_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MIVO_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MIVO_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -static)
set(CMAKE_MODULE_LINKER_FLAGS_INIT -static)

# Boost.Regex header-only, from the 1.81 headers that scripts/install-deps
# unpacks.
set(MIVO_BOOST_INCLUDE_DIR ${CMAKE_CURRENT_LIST_DIR}/../build-win/deps/boost-1.81/usr/include
    CACHE PATH "Boost headers of the Windows build")
