#!/usr/bin/env bash
# Builds the Debian packages of the programs, for amd64 and for armhf (cross
# built with cmake/armhf-toolchain.cmake), into build/packages/:
#   ./package.sh
# Installs what is missing (as root, or through sudo), like the other scripts.
# Each architecture is built in Release with Debian's hardening flags in
# build/pkg-<arch>; scripts/check_packages.sh inspects the result.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh

ensure_armhf
ensure_packages "${PACKAGING_PACKAGES[@]}"

out=build/packages
rm -rf "$out"
mkdir -p "$out"

for arch in amd64 armhf; do
    build=build/pkg-$arch
    args=(-DCMAKE_BUILD_TYPE=None -DBUILD_TESTING=OFF)
    if [ "$arch" = armhf ]; then
        args+=(-DCMAKE_TOOLCHAIN_FILE=cmake/armhf-toolchain.cmake)
    fi
    # The compiler and linker flags Debian builds its own packages with
    # (optimisation, stack protector, fortified functions, read-only
    # relocations), for the architecture being built.
    flags=$(DEB_HOST_ARCH=$arch DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CXXFLAGS)
    cppflags=$(DEB_HOST_ARCH=$arch DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CPPFLAGS)
    ldflags=$(DEB_HOST_ARCH=$arch DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get LDFLAGS)
    args+=("-DCMAKE_CXX_FLAGS=$cppflags $flags" "-DCMAKE_EXE_LINKER_FLAGS=$ldflags")

    # A fresh configure each time, so that flags and the set of programs
    # always match the sources.
    rm -rf "$build/CMakeCache.txt" "$build/debs"
    cmake -S . -B "$build" "${args[@]}"
    cmake --build "$build" -j "$(nproc)"
    (cd "$build" && cpack)
    cp "$build"/debs/*.deb "$out"/
done

echo
echo "Packages in $out:"
ls -l "$out"
