# Install rules: "cmake --install build --prefix DIR" puts under DIR
#   bin/mivo, bin/mivo-catalogue           the host and the local catalogue site
#   lib/libmivo.so                         the plug-in (mivo finds it as ../lib/libmivo.so)
#   include/mivo/plugin, include/mivo/platform   the host-facing headers (header-only)
#   lib/cmake/Mivo                         the package: find_package(Mivo) gives the
#                                          imported targets Mivo::mivo (the plug-in
#                                          library) and Mivo::headers (headers only,
#                                          for hosts that load the plug-in with dlopen)
#   share/mivo/catalogue.json              the catalogue's data (mivo-catalogue --data)
include(CMakePackageConfigHelpers)

set(MIVO_INSTALL_CMAKEDIR lib/cmake/Mivo)

add_library(mivo_headers INTERFACE)
set_target_properties(mivo_headers PROPERTIES EXPORT_NAME headers)
target_include_directories(mivo_headers INTERFACE
  $<BUILD_INTERFACE:${CMAKE_SOURCE_DIR}> $<INSTALL_INTERFACE:include/mivo>)
target_compile_features(mivo_headers INTERFACE cxx_std_20)
set(mivo_exported mivo_headers)

if(TARGET mivo)
  target_link_libraries(mivo INTERFACE mivo_headers)
  list(APPEND mivo_exported mivo)
endif()

install(TARGETS ${mivo_exported} EXPORT MivoTargets LIBRARY DESTINATION lib)
install(EXPORT MivoTargets NAMESPACE Mivo:: DESTINATION ${MIVO_INSTALL_CMAKEDIR})
install(FILES plugin/BasicTagsDllInterface.h plugin/SearchRecords.h DESTINATION include/mivo/plugin)
install(FILES platform/CString.h platform/CStringImpl.h platform/Unicode.h DESTINATION include/mivo/platform)

configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/MivoConfig.cmake.in
  ${CMAKE_BINARY_DIR}/MivoConfig.cmake INSTALL_DESTINATION ${MIVO_INSTALL_CMAKEDIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/MivoConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/MivoConfig.cmake ${CMAKE_BINARY_DIR}/MivoConfigVersion.cmake
  DESTINATION ${MIVO_INSTALL_CMAKEDIR})

if(TARGET mivo-catalogue)
  install(TARGETS mivo-catalogue RUNTIME DESTINATION bin)
  install(FILES catalogue/data/catalogue.json DESTINATION share/mivo)
endif()
