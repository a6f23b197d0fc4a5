# The plug-in's sources and the libraries they need, shared by the main
# project and the fuzz project so that both compile the same files.
#
# mivo_core_sources(ROOT OUT): every .cpp file of the plug-in's folders under
# ROOT, without the module's export (plugin/GetDllInterface.cpp), into OUT.
# platform/ holds what every system shares; platform/posix/ and
# platform/windows/ each implement the same headers over one system.
if(WIN32)
  set(MIVO_PLATFORM_FOLDER windows)
else()
  set(MIVO_PLATFORM_FOLDER posix)
endif()
set(MIVO_SOURCE_FOLDERS platform platform/${MIVO_PLATFORM_FOLDER} log text search http plugin)

function(mivo_core_sources root out)
  set(sources)
  foreach(folder IN LISTS MIVO_SOURCE_FOLDERS)
    file(GLOB folder_sources CONFIGURE_DEPENDS ${root}/${folder}/*.cpp)
    list(APPEND sources ${folder_sources})
  endforeach()
  list(FILTER sources EXCLUDE REGEX "/plugin/GetDllInterface\\.cpp$")
  set(${out} ${sources} PARENT_SCOPE)
endfunction()

# The libraries every build of the plug-in's sources links. On Windows the
# system's own services stand in for libcurl and iconv, and Boost.Regex is
# used header-only (MIVO_BOOST_INCLUDE_DIR, set by the toolchain file).
find_package(Threads REQUIRED)
if(WIN32)
  if(NOT TARGET mivo_boost_headers)
    add_library(mivo_boost_headers INTERFACE)
    target_include_directories(mivo_boost_headers SYSTEM INTERFACE ${MIVO_BOOST_INCLUDE_DIR})
  endif()
  set(MIVO_CORE_LIBRARIES mivo_boost_headers Threads::Threads winhttp wininet shlwapi)
else()
  find_package(Boost 1.81 REQUIRED COMPONENTS regex)
  find_package(CURL REQUIRED)
  set(MIVO_CORE_LIBRARIES Boost::regex CURL::libcurl Threads::Threads ${CMAKE_DL_LIBS})
endif()
