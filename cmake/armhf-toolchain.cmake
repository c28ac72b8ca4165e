# Cross-build for the 32-bit ARM computer (Debian armhf, arm-linux-gnueabihf):
#   cmake -S . -B build/armhf -DCMAKE_TOOLCHAIN_FILE=cmake/armhf-toolchain.cmake
#
# The target's headers, libraries and CMake packages come from an armhf root
# unpacked from the Debian archive into build/armhf-root (scripts/armhf_root.sh,
# which ./test.sh --armhf and ./package.sh run), never from armhf packages on
# the host. ARMHF_ROOT names another root.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(ARMHF_TRIPLET arm-linux-gnueabihf)
set(CMAKE_C_COMPILER ${ARMHF_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${ARMHF_TRIPLET}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${ARMHF_TRIPLET})

if(NOT ARMHF_ROOT)
  get_filename_component(ARMHF_ROOT ${CMAKE_CURRENT_LIST_DIR}/../build/armhf-root ABSOLUTE)
endif()
if(NOT EXISTS ${ARMHF_ROOT}/usr/lib/${ARMHF_TRIPLET}/cmake/Qt5Core/Qt5CoreConfigVersion.cmake)
  message(FATAL_ERROR "No armhf root with Qt at ${ARMHF_ROOT}: make it with ./test.sh --armhf "
                      "or scripts/armhf_root.sh (the package list is in scripts/deps.sh)")
endif()
# try_compile projects read this file again: they get the same root.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ARMHF_ROOT)

# Headers, libraries and packages from the root only; programs from the host.
set(CMAKE_SYSROOT ${ARMHF_ROOT})
set(CMAKE_FIND_ROOT_PATH ${ARMHF_ROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Qt's code generators run on the host. Qt5's CMake packages create the
# imported targets Qt5::moc, Qt5::uic and Qt5::rcc only when they do not exist
# yet, so defining them here pins the host's binaries whatever the target's
# package says. (qtbase5-dev-tools of the host provides them.) Their code must
# be of the root's Qt version.
set(ARMHF_QT_HOST_BINS /usr/lib/qt5/bin)
foreach(tool moc uic rcc)
  if(NOT TARGET Qt5::${tool})
    if(NOT EXISTS ${ARMHF_QT_HOST_BINS}/${tool})
      message(FATAL_ERROR "${ARMHF_QT_HOST_BINS}/${tool} is missing: install the host's qtbase5-dev-tools")
    endif()
    add_executable(Qt5::${tool} IMPORTED)
    set_target_properties(Qt5::${tool} PROPERTIES IMPORTED_LOCATION ${ARMHF_QT_HOST_BINS}/${tool})
  endif()
endforeach()
if(NOT ARMHF_QT_VERSION_CHECKED)
  file(STRINGS ${ARMHF_ROOT}/usr/lib/${ARMHF_TRIPLET}/cmake/Qt5Core/Qt5CoreConfigVersion.cmake root_qt
       REGEX "set\\(PACKAGE_VERSION ")
  string(REGEX MATCH "[0-9]+\\.[0-9]+\\.[0-9]+" root_qt "${root_qt}")
  execute_process(COMMAND ${ARMHF_QT_HOST_BINS}/moc -v OUTPUT_VARIABLE host_qt ERROR_VARIABLE host_qt)
  string(REGEX MATCH "[0-9]+\\.[0-9]+\\.[0-9]+" host_qt "${host_qt}")
  if(NOT root_qt STREQUAL host_qt)
    message(FATAL_ERROR "The host's Qt tools are Qt ${host_qt}, the armhf root's Qt is ${root_qt}: "
                        "they must be the same version (update the host's qtbase5-dev-tools, "
                        "or make the root again with scripts/armhf_root.sh)")
  endif()
  set(ARMHF_QT_VERSION_CHECKED ON CACHE INTERNAL "")
endif()

# CTest and add_custom_command run the target's programs through user-mode
# emulation on the root, with fontconfig pointed at the root's fonts and a
# cache of the build's own (scripts/armhf_root.sh writes both).
set(CMAKE_CROSSCOMPILING_EMULATOR env;FONTCONFIG_FILE=${ARMHF_ROOT}.fonts.conf;qemu-arm;-L;${ARMHF_ROOT})
