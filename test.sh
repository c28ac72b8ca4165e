#!/usr/bin/env bash
# Installs what is missing, builds with warnings on (and as errors), and runs
# the whole test suite on the offscreen platform. Exits non-zero on a failure.
#   ./test.sh           native build, in build/test
#   ./test.sh --armhf   cross-build for 32-bit ARM (armhf), in build/armhf; the
#                       tests run under qemu-arm user-mode emulation
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh

case "${1:-}" in
    "")
        ensure_packages "${BUILD_PACKAGES[@]}" "${FONT_PACKAGES[@]}"
        build=build/test
        cross=() ;;
    --armhf)
        ensure_armhf
        build=build/armhf
        cross=(-DCMAKE_TOOLCHAIN_FILE=cmake/armhf-toolchain.cmake) ;;
    *)
        echo "Usage: $0 [--armhf]" >&2
        exit 2 ;;
esac

cmake -S . -B "$build" "${cross[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWARNINGS_AS_ERRORS=ON -DBUILD_TESTING=ON
cmake --build "$build" -j "$(nproc)"

# The end-to-end groups mostly wait on the programs' 1000 ms step timers, so
# several run side by side even on two cores (under emulation too).
export QT_QPA_PLATFORM=offscreen
(cd "$build" && ctest --output-on-failure -j "$(( $(nproc) * 3 ))")
