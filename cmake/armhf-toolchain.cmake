# Cross-build for the 32-bit ARM computer (Debian armhf, arm-linux-gnueabihf)
# on a Debian host with the armhf architecture added:
#   cmake -S . -B build/armhf -DCMAKE_TOOLCHAIN_FILE=cmake/armhf-toolchain.cmake
#
# Debian has no separate sysroot for a foreign architecture: the target's
# libraries, headers and CMake packages sit in their own multiarch folders
# under /usr (/usr/lib/arm-linux-gnueabihf, /usr/include/arm-linux-gnueabihf,
# /usr/lib/arm-linux-gnueabihf/cmake), next to the host's.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(ARMHF_TRIPLET arm-linux-gnueabihf)
set(CMAKE_C_COMPILER ${ARMHF_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${ARMHF_TRIPLET}-g++)

# With no sysroot or find root path, find_program searches the host as usual.
# find_library, find_path and find_package take the target's multiarch
# folders (lib/<triplet>, include/<triplet>, lib/<triplet>/cmake of each
# prefix), and the host's multiarch folders are ignored, so that nothing built
# for the host can be picked up by mistake.
set(CMAKE_LIBRARY_ARCHITECTURE ${ARMHF_TRIPLET})
set(ARMHF_HOST_MULTIARCH ${CMAKE_HOST_SYSTEM_PROCESSOR}-linux-gnu)
foreach(dir /usr/lib/${ARMHF_HOST_MULTIARCH} /lib/${ARMHF_HOST_MULTIARCH}
            /usr/include/${ARMHF_HOST_MULTIARCH} /usr/lib/${ARMHF_HOST_MULTIARCH}/cmake)
  if(NOT dir IN_LIST CMAKE_SYSTEM_IGNORE_PATH)
    list(APPEND CMAKE_SYSTEM_IGNORE_PATH ${dir})
  endif()
endforeach()

# Qt's code generators run on the host. Qt5's CMake packages create the
# imported targets Qt5::moc, Qt5::uic and Qt5::rcc only when they do not exist
# yet, so defining them here pins the host's binaries whatever the target's
# package says. (qtbase5-dev-tools of the host provides them.)
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

# CTest and add_custom_command run the target's programs through user-mode
# emulation. The loader and libraries are the armhf ones of the host's own
# multiarch folders, so the emulator's root is "/" (the cross toolchain's
# /usr/arm-linux-gnueabihf has a libc that does not match them).
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm;-L;/)
