# Install rules and Debian packages (CPack DEB), one package per program:
#   gateway_configurator -> gateway-configurator
#   bus_configurator     -> bus-configurator
#   rs485_configurator   -> rs485-configurator
# A program is packaged when its executable target exists. Each package holds
# the binary, its desktop entry, its icons in the hicolor theme and its
# copyright and changelog; bus-configurator also holds the sudoers rule for
# its CAN commands and creates the group that the rule names.
#
#   cmake --build <build> --target package     (or: cd <build> && cpack)
#
# ./package.sh builds all packages for amd64 and armhf (or one of them) into
# build/packages.

include(GNUInstallDirs)

set(CONFIGURATORS_VERSION "1.0.0" CACHE STRING "Version of the Debian packages")
set(CONFIGURATORS_MAINTAINER "Module configurator developers <configurators@quillon-modules.org>"
    CACHE STRING "Maintainer field of the Debian packages")
set(CAN_CONFIG_GROUP "can-config")

set(PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(PACKAGING_BUILD_DIR ${PROJECT_BINARY_DIR}/packaging)
set(ICON_SIZES 16 32 48 64 128 256)

# The sudoers rule is checked here already: a rule that sudo cannot parse
# would lock every user out of sudo on the computer that installs it.
find_program(VISUDO_EXECUTABLE visudo PATHS /usr/sbin /sbin)

set(PACKAGED_COMPONENTS)

# package_program(<target> <component> <package name>)
function(package_program target component package)
  set(src ${PACKAGING_DIR}/${package})
  set(doc ${CMAKE_INSTALL_DATADIR}/doc/${package})
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ${component})
  install(FILES ${src}/${package}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT ${component})
  foreach(n IN LISTS ICON_SIZES)
    install(FILES ${PACKAGING_DIR}/icons/${n}x${n}/apps/${package}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${n}x${n}/apps COMPONENT ${component})
  endforeach()

  # Debian wants the manual page and the changelog compressed with gzip -9
  # and no time stamp.
  set(out ${PACKAGING_BUILD_DIR}/${package})
  file(MAKE_DIRECTORY ${out})
  configure_file(${src}/${target}.1.in ${out}/${target}.1 @ONLY)
  configure_file(${PACKAGING_DIR}/changelog.in ${out}/changelog @ONLY)
  foreach(f ${target}.1 changelog)
    execute_process(COMMAND gzip -9nc ${out}/${f} OUTPUT_FILE ${out}/${f}.gz RESULT_VARIABLE gzip_result)
    if(NOT gzip_result EQUAL 0)
      message(FATAL_ERROR "gzip failed on ${out}/${f}")
    endif()
  endforeach()
  install(FILES ${out}/${target}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
  install(FILES ${PACKAGING_DIR}/copyright ${out}/changelog.gz DESTINATION ${doc} COMPONENT ${component})

  set(PACKAGED_COMPONENTS ${PACKAGED_COMPONENTS} ${component} PARENT_SCOPE)
endfunction()

# What every program needs besides the libraries its binary links (those are
# found by dpkg-shlibdeps): the forms ask for "Times New Roman", whose texts
# only fit with the same metrics, which Liberation Serif has; and Qt's own
# texts (file dialogs, context menus) come in Russian from qtbase_ru, which
# each program loads at start.
set(COMMON_DEPENDS "fonts-liberation, qttranslations5-l10n")

set(SERIAL_PERMISSION_NOTE
  "\nSerial ports belong to the group dialout: add each engineer to it once\n(sudo adduser USER dialout) and log in again.")

if(TARGET gateway_configurator)
  set(package gateway-configurator)
  package_program(gateway_configurator gateway ${package})
  set(CPACK_DEBIAN_GATEWAY_PACKAGE_NAME ${package})
  set(CPACK_COMPONENT_GATEWAY_DISPLAY_NAME "Modbus gateway configurator")
  set(CPACK_DEBIAN_GATEWAY_DESCRIPTION
"configurator of the Modbus TCP / Modbus RTU protocol converter
gateway_configurator reads back and writes the network and RS-485
parameters of the Quillon protocol converter between Modbus TCP and
Modbus RTU (variants TCP-RTU, RTU-TCP and universal) over a serial port,
restarts it, resets it to factory values and keeps parameter sets in
settings files (.TRset). Russian user interface.
${SERIAL_PERMISSION_NOTE}")
endif()

if(TARGET bus_configurator)
  set(package bus-configurator)
  package_program(bus_configurator bus ${package})
  set(CPACK_DEBIAN_BUS_PACKAGE_NAME ${package})
  set(CPACK_COMPONENT_BUS_DISPLAY_NAME "Bus module configurator")
  set(CPACK_DEBIAN_BUS_DESCRIPTION
"configurator of the address and speed of DCON and CANopen I/O modules
bus_configurator changes the address, the baud rate and the protocol of a
Quillon I/O module, over a serial port with DCON commands or over the CAN
interface can0 with CANopen layer setting service (LSS) frames, which it
sends by running ip and cansend through sudo. Russian user interface.
${SERIAL_PERMISSION_NOTE}

For the CAN mode the package creates the group ${CAN_CONFIG_GROUP} and a sudoers
rule that lets its members run exactly those ip and cansend command lines
without a password (sudo adduser USER ${CAN_CONFIG_GROUP}, then log in again).")
  set(CPACK_DEBIAN_BUS_PACKAGE_DEPENDS "${COMMON_DEPENDS}, libqt5serialbus5-plugins, can-utils, iproute2, sudo, adduser")

  set(sudoers ${PACKAGING_DIR}/${package}/sudoers)
  if(VISUDO_EXECUTABLE)
    execute_process(COMMAND ${VISUDO_EXECUTABLE} -cf ${sudoers}
                    RESULT_VARIABLE visudo_result OUTPUT_VARIABLE visudo_out ERROR_VARIABLE visudo_out)
    if(NOT visudo_result EQUAL 0)
      message(FATAL_ERROR "The sudoers rule ${sudoers} does not parse:\n${visudo_out}")
    endif()
    message(STATUS "sudoers rule of ${package}: ${visudo_out}")
  else()
    message(WARNING "visudo not found (package sudo): the sudoers rule of ${package} is not checked")
  endif()
  # sudo reads its drop-ins from /etc/sudoers.d whatever the install prefix,
  # so the path is absolute. The name has no dot, or sudo would skip the file.
  set(sudoers_dir /etc/sudoers.d)
  install(FILES ${sudoers} DESTINATION ${sudoers_dir}
          RENAME ${package} PERMISSIONS OWNER_READ GROUP_READ COMPONENT bus)

  set(bus_control ${PACKAGING_BUILD_DIR}/${package}/control)
  file(MAKE_DIRECTORY ${bus_control})
  configure_file(${PACKAGING_DIR}/${package}/postinst.in ${bus_control}/postinst @ONLY)
  file(WRITE ${bus_control}/conffiles "${sudoers_dir}/${package}\n")
  set(CPACK_DEBIAN_BUS_PACKAGE_CONTROL_EXTRA "${bus_control}/postinst;${bus_control}/conffiles")
endif()

if(TARGET rs485_configurator)
  set(package rs485-configurator)
  package_program(rs485_configurator rs485 ${package})
  set(CPACK_DEBIAN_RS485_PACKAGE_NAME ${package})
  set(CPACK_COMPONENT_RS485_DISPLAY_NAME "RS-485 module configurator")
  set(CPACK_DEBIAN_RS485_DESCRIPTION
"configurator of the Vesk-RS485-ST serial module
rs485_configurator finds the Vesk-RS485-ST module when it appears as a new
serial port, or connects to a chosen one, reads its baud rate, stop bits
and parity, writes new values and switches the module into its working
mode. Russian user interface.
${SERIAL_PERMISSION_NOTE}")
endif()

if(NOT PACKAGED_COMPONENTS)
  return()
endif()

# The Debian architecture of the binaries, from the target's multiarch
# triplet (cross builds included).
set(deb_arch)
if(CMAKE_LIBRARY_ARCHITECTURE)
  execute_process(COMMAND dpkg-architecture -t${CMAKE_LIBRARY_ARCHITECTURE} -qDEB_HOST_ARCH
                  OUTPUT_VARIABLE deb_arch ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()
if(NOT deb_arch)
  execute_process(COMMAND dpkg --print-architecture
                  OUTPUT_VARIABLE deb_arch ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()

# cpack reads this file when it runs: dpkg-shlibdeps then looks for the
# libraries of the packaged architecture.
set(CPACK_PROJECT_CONFIG_FILE ${PACKAGING_BUILD_DIR}/cpack-project.cmake)
file(WRITE ${CPACK_PROJECT_CONFIG_FILE}
  "set(ENV{DEB_HOST_ARCH} \"${deb_arch}\")\n"
  "set(ENV{DEB_HOST_MULTIARCH} \"${CMAKE_LIBRARY_ARCHITECTURE}\")\n")
# A cross-build links against a root of the target's packages (the armhf
# one of scripts/armhf_root.sh, with a dpkg database of its own): the
# libraries are looked up there, and so are the packages they come from.
if(CMAKE_SYSROOT)
  if(NOT EXISTS ${CMAKE_SYSROOT}/var/lib/dpkg/status)
    message(FATAL_ERROR "${CMAKE_SYSROOT} has no dpkg database: the packages' dependencies cannot be found")
  endif()
  file(APPEND ${CPACK_PROJECT_CONFIG_FILE} "set(ENV{DPKG_ADMINDIR} \"${CMAKE_SYSROOT}/var/lib/dpkg\")\n")
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
      ${CMAKE_SYSROOT}/usr/lib/${CMAKE_LIBRARY_ARCHITECTURE} ${CMAKE_SYSROOT}/lib/${CMAKE_LIBRARY_ARCHITECTURE})
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME module-configurators)
set(CPACK_PACKAGE_VENDOR "Quillon")
set(CPACK_PACKAGE_VERSION ${CONFIGURATORS_VERSION})
set(CPACK_PACKAGE_CONTACT ${CONFIGURATORS_MAINTAINER})
set(CPACK_PACKAGE_INSTALL_DIRECTORY /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${PACKAGED_COMPONENTS})
set(CPACK_COMPONENTS_GROUPING IGNORE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${deb_arch})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CONFIGURATORS_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${COMMON_DEPENDS}")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_BINARY_DIR}/debs)
include(CPack)
