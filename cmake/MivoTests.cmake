# Test programs: one GoogleTest program per folder under tests/.
#
# mivo_add_test_program(FOLDER): the program test_<folder name> of every .cpp
# file directly in FOLDER, linked with the plug-in's static library,
# GoogleTest, zlib and cpp-httplib, and told where the plug-in, mivo-catalogue
# and its data are. Its cases are listed for ctest when the tests run, from
# the build folder, with the ctest labels given after LABELS; with WHOLE the
# program is one ctest test instead (for cases that share one costly set-up).
# A folder without .cpp files makes no program.
find_package(GTest REQUIRED)
include(${CMAKE_CURRENT_LIST_DIR}/MivoTestCode.cmake)
include(GoogleTest)
# zlib builds the compressed bodies of the hostile-response tests.
find_package(ZLIB REQUIRED)

function(mivo_add_test_program folder)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "WHOLE" "" LABELS)
  file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp)
  if(NOT sources)
    return()
  endif()
  get_filename_component(name ${folder} NAME)
  set(program test_${name})
  add_executable(${program} ${sources})
  mivo_quick_test_code(${program})
  target_link_libraries(${program} PRIVATE mivo_core GTest::gtest_main GTest::gmock ZLIB::ZLIB PkgConfig::HTTPLIB)
  target_compile_definitions(${program} PRIVATE
    MIVO_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    MIVO_BINARY_DIR="${PROJECT_BINARY_DIR}"
    MIVO_PLUGIN_PATH="$<TARGET_FILE:mivo>"
    MIVO_CATALOGUE_PATH="$<TARGET_FILE:mivo-catalogue>"
    MIVO_CATALOGUE_DATA="${PROJECT_SOURCE_DIR}/catalogue/data/catalogue.json")
  add_dependencies(${program} mivo mivo-catalogue)
  set(properties)
  if(ARG_LABELS)
    set(properties PROPERTIES LABELS "${ARG_LABELS}")
  endif()
  if(ARG_WHOLE)
    add_test(NAME ${program} COMMAND ${program} WORKING_DIRECTORY ${PROJECT_BINARY_DIR})
    set_tests_properties(${program} PROPERTIES LABELS "${ARG_LABELS}")
  else()
    gtest_discover_tests(${program} DISCOVERY_MODE PRE_TEST WORKING_DIRECTORY ${PROJECT_BINARY_DIR} ${properties})
  endif()
endfunction()

# mivo_runs_windows_build(TARGET): TARGET runs the Windows build's programs
# under Wine (tests/support/WindowsBuild.h): it is told the build folder
# (MIVO_WINDOWS_BINARY_DIR, build-win/ by default) and Wine's program (empty
# when Wine is missing, and the tests skip).
set(MIVO_WINDOWS_BINARY_DIR ${PROJECT_SOURCE_DIR}/build-win CACHE PATH "The Windows build folder whose programs tests run under Wine")
find_program(MIVO_WINE_PROGRAM NAMES wine wine64)
if(NOT MIVO_WINE_PROGRAM)
  set(MIVO_WINE_PROGRAM "")
endif()
function(mivo_runs_windows_build target)
  target_compile_definitions(${target} PRIVATE
    MIVO_WINDOWS_BINARY_DIR="${MIVO_WINDOWS_BINARY_DIR}"
    MIVO_WINE_PROGRAM="${MIVO_WINE_PROGRAM}")
endfunction()

# mivo_add_test_folders(ROOT): a test program for each folder under ROOT; a
# folder with a CMakeLists.txt of its own makes its program itself.
function(mivo_add_test_folders root)
  file(GLOB folders LIST_DIRECTORIES true CONFIGURE_DEPENDS ${root}/*)
  foreach(folder IN LISTS folders)
    if(EXISTS ${folder}/CMakeLists.txt)
      add_subdirectory(${folder})
    elseif(IS_DIRECTORY ${folder})
      mivo_add_test_program(${folder})
    endif()
  endforeach()
endfunction()

# The plug-in, mivo and mivo-catalogue configure without anything the tests
# need, both as the top-level project with tests off and inside another
# project, each into a fresh folder under build/scratch/.
foreach(case standalone embedded)
  add_test(NAME CMake.Configures.${case}
    COMMAND ${CMAKE_COMMAND} -D CASE=${case}
      -D SOURCE_DIR=${PROJECT_SOURCE_DIR}
      -D BINARY_DIR=${PROJECT_BINARY_DIR}/scratch/${case}
      -D GENERATOR=${CMAKE_GENERATOR}
      -D CXX_COMPILER=${CMAKE_CXX_COMPILER}
      -P ${CMAKE_CURRENT_LIST_DIR}/ConfigureCheck.cmake)
  set_tests_properties(CMake.Configures.${case} PROPERTIES LABELS build)
endforeach()
