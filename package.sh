#!/usr/bin/env bash
# Builds the Debian packages of the programs into build/packages/, for amd64
# (built natively) and for armhf (cross built with cmake/armhf-toolchain.cmake).
# Installs what is missing (as root, or through sudo), like the other scripts.
# Each architecture is built in Release with Debian's hardening flags in
# build/pkg-<arch>; scripts/check_packages.sh inspects the result.
set -euo pipefail
cd "$(dirname "$0")"

usage() {
    cat <<EOF
Usage: $0 [amd64|armhf|all]

Builds the Debian packages of the three programs into build/packages/
(whatever was there before is removed first):
  amd64   for ordinary PCs, built natively; needs no cross toolchain and
          leaves dpkg's architectures alone
  armhf   for the 32-bit ARM target computer, cross built against an armhf
          root unpacked from the Debian archive into build/armhf-root (made
          when missing or when its package list changed); installs the cross
          compiler, qemu-user and mmdebstrap when they are missing, and no
          armhf package on this machine
  all     both (the default)
Missing build packages are installed with apt-get, as root or through sudo.
Then scripts/check_packages.sh checks the packages.
EOF
}

case "${1:-all}" in
    -h|--help) usage; exit 0 ;;
    amd64) archs=(amd64) ;;
    armhf) archs=(armhf) ;;
    all) archs=(amd64 armhf) ;;
    *) usage >&2; exit 2 ;;
esac
if [ $# -gt 1 ]; then usage >&2; exit 2; fi

. scripts/deps.sh

# The amd64 packages are the host's own build.
host_arch=$(dpkg --print-architecture)
if [[ " ${archs[*]} " == *" amd64 "* ]] && [ "$host_arch" != amd64 ]; then
    echo "The amd64 packages are built natively, but this machine is $host_arch." >&2
    exit 1
fi

if [[ " ${archs[*]} " == *" armhf "* ]]; then
    ensure_armhf
fi
ensure_packages "${BUILD_PACKAGES[@]}" "${PACKAGING_PACKAGES[@]}"

out=build/packages
rm -rf "$out"
mkdir -p "$out"
# What this run was asked to build, for scripts/check_packages.sh.
record=build/packages.architectures
rm -f "$record"

for arch in "${archs[@]}"; do
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
printf '%s\n' "${archs[@]}" >"$record"

echo
echo "Packages in $out:"
ls -l "$out"
