# Install rules: the plug-in where every Linux VST 2 host finds it, and tessel-host.
#
#   <prefix>/lib/lxvst/TesselEQ.so                 searched by Ardour and Qtractor
#   <prefix>/lib/vst/TesselEQ.so -> ../lxvst/...   searched by Ardour, Carla, MusE, Zrythm, OBS
#   <prefix>/bin/tessel-host
#   <prefix>/share/doc/tessel-eq/copyright       the licence
#
# The plug-in folders are lib/lxvst and lib/vst right under the prefix, not
# under CMAKE_INSTALL_LIBDIR: with the prefix /usr, GNUInstallDirs gives
# lib/x86_64-linux-gnu on Debian, where no host looks.
#
# Installed binaries are stripped (debug information and the static symbol
# table); the plug-in keeps its two exported entry points, VSTPluginMain and
# main, which live in the dynamic symbol table.
include(GNUInstallDirs)

set(TESSEL_INSTALL_LXVSTDIR "lib/lxvst" CACHE STRING "Folder of the plug-in, relative to the prefix")
set(TESSEL_INSTALL_VSTDIR "lib/vst" CACHE STRING "Folder of the link to the plug-in, relative to the prefix")
option(TESSEL_INSTALL_STRIP "Strip the installed binaries" ON)

if(TESSEL_INSTALL_STRIP)
  # Turns on CMake's own strip step for the rules below, as `cmake --install --strip` would.
  install(CODE "set(CMAKE_INSTALL_DO_STRIP TRUE)" COMPONENT plugin)
  install(CODE "set(CMAKE_INSTALL_DO_STRIP TRUE)" COMPONENT host)
endif()

install(TARGETS TesselEQ LIBRARY DESTINATION ${TESSEL_INSTALL_LXVSTDIR} COMPONENT plugin)

# The link is made once in the build tree and installed as a link.
set(TESSEL_PLUGIN_FILE_NAME "TesselEQ${CMAKE_SHARED_MODULE_SUFFIX}")
file(RELATIVE_PATH TESSEL_PLUGIN_LINK_TARGET "/${TESSEL_INSTALL_VSTDIR}"
     "/${TESSEL_INSTALL_LXVSTDIR}/${TESSEL_PLUGIN_FILE_NAME}")
set(TESSEL_PLUGIN_LINK "${CMAKE_BINARY_DIR}/install-links/${TESSEL_PLUGIN_FILE_NAME}")
file(MAKE_DIRECTORY "${CMAKE_BINARY_DIR}/install-links")
file(CREATE_LINK "${TESSEL_PLUGIN_LINK_TARGET}" "${TESSEL_PLUGIN_LINK}" SYMBOLIC)
install(FILES "${TESSEL_PLUGIN_LINK}" DESTINATION ${TESSEL_INSTALL_VSTDIR} COMPONENT plugin)

install(TARGETS tessel-host RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT host)

# The licence, where Debian keeps a package's copyright file.
install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/tessel-eq RENAME copyright COMPONENT doc)
