#!/usr/bin/env bash
# Installs what is missing, builds with warnings on (and as errors), and runs
# the whole test suite on the offscreen platform. Exits non-zero on a failure.
#   ./test.sh              native build, in build/test
#   ./test.sh --armhf      cross-build for 32-bit ARM (armhf), in build/armhf,
#                          against the armhf root build/armhf-root (made from
#                          the archive when missing); the tests run on it
#                          under qemu-arm user-mode emulation
#   ./test.sh --sanitize   native build with AddressSanitizer and UBSan, in
#                          build/sanitize; the whole suite, leak checking on
#   ./test.sh --fuzz SECS  builds the libFuzzer targets with clang in build/fuzz
#                          and runs each for SECS seconds; fails on any crash
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh

cmake_args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DWARNINGS_AS_ERRORS=ON -DBUILD_TESTING=ON)
case "${1:-}" in
    "")
        ensure_packages "${BUILD_PACKAGES[@]}" "${FONT_PACKAGES[@]}" "${TRANSLATION_PACKAGES[@]}"
        build=build/test ;;
    --armhf)
        ensure_armhf
        build=build/armhf
        cmake_args+=(-DCMAKE_TOOLCHAIN_FILE=cmake/armhf-toolchain.cmake) ;;
    --sanitize)
        ensure_packages "${BUILD_PACKAGES[@]}" "${FONT_PACKAGES[@]}" "${TRANSLATION_PACKAGES[@]}"
        build=build/sanitize
        san="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
        cmake_args+=("-DCMAKE_CXX_FLAGS=$san" "-DCMAKE_EXE_LINKER_FLAGS=$san")
        # Leaks are checked; what is suppressed lies outside our code and is
        # explained line by line in the file.
        export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1"
        export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizer/lsan.supp:print_suppressions=0"
        export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1" ;;
    --fuzz)
        seconds=${2:-}
        if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -eq 0 ]; then
            echo "Usage: $0 --fuzz SECONDS" >&2
            exit 2
        fi
        ensure_packages "${BUILD_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"
        exec tests/fuzz/run.sh "$seconds" ;;
    *)
        echo "Usage: $0 [--armhf | --sanitize | --fuzz SECONDS]" >&2
        exit 2 ;;
esac

cmake -S . -B "$build" "${cmake_args[@]}"
cmake --build "$build" -j "$(nproc)"

# The end-to-end groups mostly wait on the programs' 1000 ms step timers, so
# several run side by side even on two cores (under emulation too).
export QT_QPA_PLATFORM=offscreen
(cd "$build" && ctest --output-on-failure -j "$(( $(nproc) * 3 ))")
