# cmake -D CASE=standalone|embedded -D SOURCE_DIR=... -D BINARY_DIR=...
#       -D GENERATOR=... -D CXX_COMPILER=... -P ConfigureCheck.cmake
#
# Configures SOURCE_DIR into a fresh BINARY_DIR with GoogleTest and zlib out
# of reach, as a build of only the plug-in, mivo and mivo-catalogue would:
#   standalone  the tree itself, with BUILD_TESTING off
#   embedded    a project of its own that takes the tree in with
#               add_subdirectory and needs its targets
# Fails when the configure fails or defines any of the tree's tests.
foreach(variable CASE SOURCE_DIR BINARY_DIR GENERATOR CXX_COMPILER)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "ConfigureCheck: ${variable} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE ${BINARY_DIR})
if(CASE STREQUAL "standalone")
  set(source ${SOURCE_DIR})
  set(build ${BINARY_DIR})
  set(options -DBUILD_TESTING=OFF)
elseif(CASE STREQUAL "embedded")
  set(source ${BINARY_DIR}/parent)
  set(build ${BINARY_DIR}/parent-build)
  set(options)
  file(WRITE ${source}/CMakeLists.txt [=[
cmake_minimum_required(VERSION 3.25)
project(Parent LANGUAGES CXX)
add_subdirectory(${MIVO_TREE} mivo)
foreach(target mivo mivo_headers mivo_host mivo-catalogue)
  if(NOT TARGET ${target})
    message(FATAL_ERROR "add_subdirectory gave no target ${target}")
  endif()
endforeach()
]=])
  list(APPEND options -DMIVO_TREE=${SOURCE_DIR})
else()
  message(FATAL_ERROR "ConfigureCheck: unknown CASE ${CASE}")
endif()

execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${source} -B ${build} -G ${GENERATOR}
    -DCMAKE_CXX_COMPILER=${CXX_COMPILER}
    -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON
    -DCMAKE_DISABLE_FIND_PACKAGE_ZLIB=ON
    ${options}
  RESULT_VARIABLE result
  OUTPUT_VARIABLE output
  ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "The ${CASE} configure failed (${result}):\n${output}")
endif()
file(GLOB_RECURSE test_files ${build}/CTestTestfile.cmake)
if(test_files)
  message(FATAL_ERROR "The ${CASE} configure still defines tests: ${test_files}")
endif()
message(STATUS "The ${CASE} configure needs no GoogleTest or zlib (${build})")
