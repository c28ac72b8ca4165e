#!/usr/bin/env bash
# Installs what is missing, builds with warnings on (and as errors), and runs
# the whole test suite on the offscreen platform. Exits non-zero on a failure.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh

ensure_packages "${BUILD_PACKAGES[@]}"

build=build/test
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWARNINGS_AS_ERRORS=ON -DBUILD_TESTING=ON
cmake --build "$build" -j "$(nproc)"

# The end-to-end groups mostly wait on the programs' 1000 ms step timers, so
# several run side by side even on two cores.
export QT_QPA_PLATFORM=offscreen
(cd "$build" && ctest --output-on-failure -j "$(( $(nproc) * 3 ))")
