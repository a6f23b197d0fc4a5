# The Windows build (cmake/mingw-w64-x86_64.cmake): test programs run under
# Wine. The prefix lives in the build folder, so every build folder has a
# fresh one of its own; Wine's own diagnostics stay off; the locale, from
# which Wine takes the ANSI code page, is pinned; no proxy from the
# environment reaches the programs.
set(MIVO_WINEPREFIX ${PROJECT_BINARY_DIR}/wineprefix)
find_program(MIVO_WINE NAMES wine wine64 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR
  env -u http_proxy -u https_proxy -u HTTP_PROXY -u HTTPS_PROXY
  WINEPREFIX=${MIVO_WINEPREFIX} WINEDEBUG=-all LC_ALL=C.UTF-8 ${MIVO_WINE})
