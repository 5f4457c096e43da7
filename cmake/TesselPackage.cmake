# The Debian package, built with `cpack -G DEB` in the release tree (or
# scripts/package.sh): tessel-eq_<version>_<arch>.deb with the layout of
# TesselInstall.cmake under /usr. Its version is the project's, which must
# be the version the plug-in reports to hosts (effGetVendorVersion).
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "tessel-eq")
set(CPACK_PACKAGE_VENDOR "Dravik")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "seven-band parametric equaliser, a LinuxVST plug-in")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Tessel EQ is a seven-band parametric equaliser for Linux hosts that speak\n"
  "VST 2 (Ardour, Qtractor, Carla, REAPER, Bitwig and others), with its own\n"
  "editor. The package also holds tessel-host, a command-line VST 2 host that\n"
  "inspects plug-ins, plays sound files through them, measures and times them.")
set(TESSEL_PACKAGE_MAINTAINER "Dravik <tessel-eq@dravik.invalid>" CACHE STRING
    "Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT "${TESSEL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "sound")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# Depends is computed by dpkg-shlibdeps (package dpkg-dev) from the libraries the binaries link.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)
