# Where the installed files go (GNUInstallDirs, so LIBDIR is multiarch under a
# /usr prefix on Debian), and how the programs find them relative to their own
# folder. The build folder has the same shape: the plug-in lies as far from
# build/bin as it will from the installed bin folder, so the one relative path
# works in both.
#   MIVO_PLUGIN_INSTALL_DIR    LIBDIR/mivo, the folder of libmivo.so
#   MIVO_DATA_INSTALL_DIR      DATADIR/mivo, the catalogue's data
#   MIVO_PLUGIN_FROM_PROGRAM   libmivo.so relative to the folder of mivo (mivo.dll on Windows)
#   MIVO_DATA_FROM_PROGRAM     catalogue.json relative to the folder of mivo-catalogue
set(MIVO_PLUGIN_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/mivo)
set(MIVO_DATA_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/mivo)

# On Windows the module lies beside the program, where the system's loader
# looks first.
if(WIN32)
  set(MIVO_PLUGIN_FROM_PROGRAM mivo.dll)
else()
  file(RELATIVE_PATH MIVO_PLUGIN_FROM_PROGRAM ${CMAKE_INSTALL_FULL_BINDIR}
    ${CMAKE_INSTALL_FULL_LIBDIR}/mivo/libmivo.so)
endif()
file(RELATIVE_PATH MIVO_DATA_FROM_PROGRAM ${CMAKE_INSTALL_FULL_BINDIR}
  ${CMAKE_INSTALL_FULL_DATADIR}/mivo/catalogue.json)

# The build folder's copies, at the same distance from build/bin.
get_filename_component(MIVO_BUILD_PLUGIN_DIR ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${MIVO_PLUGIN_FROM_PROGRAM} DIRECTORY)
get_filename_component(MIVO_BUILD_PLUGIN_DIR ${MIVO_BUILD_PLUGIN_DIR} ABSOLUTE)
get_filename_component(MIVO_BUILD_DATA_FILE ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${MIVO_DATA_FROM_PROGRAM} ABSOLUTE)
