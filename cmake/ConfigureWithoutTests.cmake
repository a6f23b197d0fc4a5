# cmake -D SOURCE_DIR=... -D BINARY_DIR=... -D GENERATOR=... -D CXX_COMPILER=...
#       -P ConfigureWithoutTests.cmake
#
# Configures SOURCE_DIR into a fresh BINARY_DIR with BUILD_TESTING off and
# GoogleTest and zlib out of reach, as a build of only the plug-in, mivo and
# mivo-catalogue would. Fails when the configure fails or defines any test.
foreach(variable SOURCE_DIR BINARY_DIR GENERATOR CXX_COMPILER)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "ConfigureWithoutTests: ${variable} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE ${BINARY_DIR})
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${BINARY_DIR} -G ${GENERATOR}
    -DCMAKE_CXX_COMPILER=${CXX_COMPILER}
    -DBUILD_TESTING=OFF
    -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON
    -DCMAKE_DISABLE_FIND_PACKAGE_ZLIB=ON
  RESULT_VARIABLE result
  OUTPUT_VARIABLE output
  ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "The configure without tests failed (${result}):\n${output}")
endif()
if(EXISTS ${BINARY_DIR}/CTestTestfile.cmake)
  message(FATAL_ERROR "The configure without tests still defines tests in ${BINARY_DIR}")
endif()
message(STATUS "Configured without tests, GoogleTest or zlib in ${BINARY_DIR}")
