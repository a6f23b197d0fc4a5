# Install rules: "cmake --install build --prefix DIR" puts under DIR, in the
# GNU install folders (CMAKE_INSTALL_BINDIR, ...; these are their defaults)
#   bin/mivo, bin/mivo-catalogue           the host and the local catalogue site
#   lib/mivo/libmivo.so                    the plug-in (LIBDIR/mivo; mivo finds it relative
#                                          to its own folder, cmake/MivoLayout.cmake)
#   include/mivo/plugin, include/mivo/platform   the host-facing headers (header-only)
#   lib/cmake/Mivo                         the package: find_package(Mivo) gives the
#                                          imported targets Mivo::mivo (the plug-in
#                                          library) and Mivo::headers (headers only,
#                                          for hosts that load the plug-in with dlopen)
#   share/mivo/catalogue.json              the catalogue's data (mivo-catalogue --data)
include(CMakePackageConfigHelpers)

set(MIVO_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Mivo)

add_library(mivo_headers INTERFACE)
set_target_properties(mivo_headers PROPERTIES EXPORT_NAME headers)
target_include_directories(mivo_headers INTERFACE
  $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}> $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/mivo>)
target_compile_features(mivo_headers INTERFACE cxx_std_20)
target_link_libraries(mivo INTERFACE mivo_headers)

install(TARGETS mivo_headers mivo EXPORT MivoTargets LIBRARY DESTINATION ${MIVO_PLUGIN_INSTALL_DIR})
install(EXPORT MivoTargets NAMESPACE Mivo:: DESTINATION ${MIVO_INSTALL_CMAKEDIR})
install(FILES plugin/BasicTagsDllInterface.h plugin/SearchRecords.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/mivo/plugin)
install(FILES platform/CString.h platform/CStringImpl.h platform/Unicode.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/mivo/platform)

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/MivoConfig.cmake.in
  ${PROJECT_BINARY_DIR}/MivoConfig.cmake INSTALL_DESTINATION ${MIVO_INSTALL_CMAKEDIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/MivoConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/MivoConfig.cmake ${PROJECT_BINARY_DIR}/MivoConfigVersion.cmake
  DESTINATION ${MIVO_INSTALL_CMAKEDIR})

install(TARGETS mivo-catalogue RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES catalogue/data/catalogue.json DESTINATION ${MIVO_DATA_INSTALL_DIR})
