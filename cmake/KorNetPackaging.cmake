# Debian packages of the library and the programs, one per install component:
#
#   cmake --build build/default --target package     (or scripts/package)
#
# gives build/default/<package>_<version>_<arch>.deb for every component
# below. A program gets its own package with one kornet_package() line here
# and COMPONENT <name> on its install rules.

# kornet_package(<component> PACKAGE <name> SECTION <section> SUMMARY <line>
#                [DESCRIPTION <text>] [DEPENDS <components>...])
# DEPENDS names other components; their packages become Depends at this exact
# version. Everything else a package needs (libc, zlib, Qt) comes from
# dpkg-shlibdeps.
function(kornet_package component)
  cmake_parse_arguments(P "" "PACKAGE;SECTION;SUMMARY;DESCRIPTION" "DEPENDS" ${ARGN})
  string(TOUPPER ${component} C)
  set(KORNET_PACKAGE_COMPONENTS ${KORNET_PACKAGE_COMPONENTS} ${component} PARENT_SCOPE)
  set(CPACK_DEBIAN_${C}_PACKAGE_NAME ${P_PACKAGE} PARENT_SCOPE)
  set(CPACK_DEBIAN_${C}_PACKAGE_SECTION ${P_SECTION} PARENT_SCOPE)
  set(CPACK_COMPONENT_${C}_DEPENDS ${P_DEPENDS} PARENT_SCOPE)
  if(P_DESCRIPTION)
    set(CPACK_COMPONENT_${C}_DESCRIPTION "${P_SUMMARY}\n${P_DESCRIPTION}" PARENT_SCOPE)
  else()
    set(CPACK_COMPONENT_${C}_DESCRIPTION "${P_SUMMARY}" PARENT_SCOPE)
  endif()
endfunction()

kornet_package(runtime PACKAGE libkornet1 SECTION libs
  SUMMARY "KorNet: link library for Tolvar display controllers"
  DESCRIPTION "Talks to display controllers over a serial line (RS-232/RS-485), a TCP/IP network or a dial-up modem: framed request/reply exchanges, file transfer, display and playlist commands.")
kornet_package(dev PACKAGE libkornet-dev SECTION libdevel DEPENDS runtime
  SUMMARY "KorNet: header, CMake package and pkg-config file"
  DESCRIPTION "What a program needs to be built against KorNet: KorNet.h, find_package(KorNet) with the target KorNet::KorNet, and pkg-config kornet.")
if(TARGET JxConfig)
kornet_package(jxconfig PACKAGE jxconfig SECTION electronics DEPENDS runtime
  SUMMARY "JxConfig: configuration tool for Tolvar display controllers"
  DESCRIPTION "Connects to a display controller by serial line, TCP/IP or dial-up modem and sets its clock mode, software address and network configuration.")
endif()
kornet_package(jxsim PACKAGE jxsim SECTION electronics
  SUMMARY "jxsim: Tolvar display controller simulator"
  DESCRIPTION "Answers as one or more display controllers on a TCP port or a pseudo-terminal, optionally behind a simulated Hayes modem, with faults on request: for trying JxConfig and testing programs without display hardware.")
if(TARGET korctl)
kornet_package(korctl PACKAGE korctl SECTION electronics DEPENDS runtime
  SUMMARY "korctl: Tolvar display controllers from the command line"
  DESCRIPTION "Pings, queries, transfers files and sets the configuration of display controllers over TCP/IP, serial lines and dial-up modems, one display or a fleet in parallel, with plain text or JSON output for scripts.")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kornet)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Corvanta")
set(CPACK_PACKAGE_CONTACT "KorNet and JxConfig developers" CACHE STRING "Maintainer field of the Debian packages")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_COMPONENTS_ALL ${KORNET_PACKAGE_COMPONENTS})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The programs need libkornet.so.1 from the build tree to be looked at; it
# belongs to no installed package, which is what the Depends above are for.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/link)
# libkornet1 declares its soname (shlibs) so that other packages built against
# it depend on it; dpkg then runs ldconfig for it.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# Packages carry stripped programs and library, as Debian's do.
set(CPACK_STRIP_FILES ON)
include(CPack)
