# The Debian package: "cpack -G DEB" in the build folder (or
# "cpack --config build/CPackConfig.cmake -G DEB") makes mivo_VERSION_ARCH.deb
# of everything "cmake --install" puts down, under /usr. Its run-time
# dependencies are worked out by dpkg-shlibdeps from the programs and the
# plug-in (libcurl, cpp-httplib, TagLib, the C++ runtime; Boost.Regex 1.81 is
# compiled in, header-only). Configured
# with -DCMAKE_INSTALL_PREFIX=/usr the library folder is Debian's multiarch
# one (lib/x86_64-linux-gnu); either way the programs find their files
# relative to themselves. Only as the top-level project: inside another
# project the packaging is that project's.
if(NOT PROJECT_IS_TOP_LEVEL)
  return()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mivo)
set(CPACK_PACKAGE_VENDOR "The Mivo developers")
set(CPACK_PACKAGE_CONTACT "The Mivo developers <mivo@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "music catalogue search plug-in for tagging hosts, with a command-line host")
set(CPACK_PACKAGE_DESCRIPTION
  "Mivo finds an artist on a music catalogue web site, lists the artist's albums and completes an album
(year, genre, cover, tracks) for a music-tagging host that loads it as a plug-in. The package holds the
plug-in, the mivo command-line host, the mivo-catalogue local catalogue site, the headers and CMake
package for hosts, man pages and bash and zsh completion.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "bash-completion")
include(CPack)
