# The plug-in's sources and the libraries they need, shared by the main
# project and the fuzz project so that both compile the same files.
#
# mivo_core_sources(ROOT OUT): every .cpp file of the plug-in's folders under
# ROOT, without the module's export (plugin/GetDllInterface.cpp), into OUT.
set(MIVO_SOURCE_FOLDERS platform log text search http plugin)

function(mivo_core_sources root out)
  set(sources)
  foreach(folder IN LISTS MIVO_SOURCE_FOLDERS)
    file(GLOB folder_sources CONFIGURE_DEPENDS ${root}/${folder}/*.cpp)
    list(APPEND sources ${folder_sources})
  endforeach()
  list(FILTER sources EXCLUDE REGEX "/plugin/GetDllInterface\\.cpp$")
  set(${out} ${sources} PARENT_SCOPE)
endfunction()

# The libraries every build of the plug-in's sources links.
find_package(Threads REQUIRED)
find_package(Boost 1.74 REQUIRED COMPONENTS regex)
find_package(CURL REQUIRED)
set(MIVO_CORE_LIBRARIES Boost::regex CURL::libcurl Threads::Threads ${CMAKE_DL_LIBS})
