# Test programs of the Windows build, run under Wine through ctest's
# emulator (cmake/MivoWindows.cmake). GoogleTest is built from the sources
# that Debian's libgtest-dev ships. One program per folder, as on Linux, for
# the folders in MIVO_WINDOWS_TEST_FOLDERS: those whose tests and helpers
# build for Windows so far.
set(MIVO_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for the Windows build")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(${MIVO_GOOGLETEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

set(MIVO_WINDOWS_TEST_FOLDERS
  system
  platform
  log
  search
  plugin
  host
)

# Test files that stay out of the Windows build, each with its reason.
set(MIVO_WINDOWS_EXCLUDED_TESTS
  # An in-process HTTP server (ScriptedSite over httplib), which does not
  # build for Windows yet.
  tests/search/AlbumDetailsTest.cpp
  tests/search/AlbumListTest.cpp
  tests/search/ArtistLookupTest.cpp
  tests/search/HostilePagesTest.cpp
  # fork(), waitpid(), setrlimit(), inode numbers and permission bits.
  tests/log/TraceLogProcessTest.cpp
  tests/platform/IniFilePermissionTest.cpp
  tests/search/ArtistUrlCacheProcessTest.cpp
  # dlopen()/dlsym() and the shared library's own unloading.
  tests/plugin/PluginHostTest.cpp
  tests/plugin/UnloadTest.cpp
)

# The text utilities' tests: wide text of UTF-16 code units, the regex
# traits, the text file and code pages.
list(APPEND MIVO_WINDOWS_TEST_FOLDERS text)

foreach(name IN LISTS MIVO_WINDOWS_TEST_FOLDERS)
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${name}/*.cpp)
  foreach(excluded IN LISTS MIVO_WINDOWS_EXCLUDED_TESTS)
    list(REMOVE_ITEM sources ${PROJECT_SOURCE_DIR}/${excluded})
  endforeach()
  set(program test_${name})
  add_executable(${program} ${sources})
  target_link_libraries(${program} PRIVATE mivo_core gtest_main gmock)
  target_compile_definitions(${program} PRIVATE
    MIVO_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    MIVO_BINARY_DIR="${PROJECT_BINARY_DIR}"
    MIVO_PLUGIN_PATH="$<TARGET_FILE:mivo>")
  add_dependencies(${program} mivo)
  # The host's tests exercise its parts, as on Linux (tests/host/CMakeLists.txt).
  if(name STREQUAL "host")
    target_link_libraries(${program} PRIVATE mivo_host_parts)
  endif()
  # The first program to run under a fresh prefix waits for Wine to set it up.
  gtest_discover_tests(${program} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 300 WORKING_DIRECTORY ${PROJECT_BINARY_DIR})
endforeach()

# The cache-exchange helper; the test that drives it runs on the Linux side
# (tests/interop).
add_subdirectory(${PROJECT_SOURCE_DIR}/tests/interop/tool ${PROJECT_BINARY_DIR}/tests/interop/tool)
