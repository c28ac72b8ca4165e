#!/usr/bin/env bash
# Installs what is missing, builds in Release and starts one of the programs:
#   ./run.sh [gateway_configurator|bus_configurator|rs485_configurator]
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh

program=${1:-gateway_configurator}
case "$program" in
    gateway_configurator|bus_configurator|rs485_configurator) ;;
    *) echo "Unknown program '$program'. Choose gateway_configurator, bus_configurator or rs485_configurator." >&2
       exit 2 ;;
esac

ensure_packages "${BUILD_PACKAGES[@]}" "${FONT_PACKAGES[@]}" "${TRANSLATION_PACKAGES[@]}"

build=build/release
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
cmake --build "$build" -j "$(nproc)"

binary="$build/$program/$program"
if [ ! -x "$binary" ]; then
    echo "$program is not built yet in this version of the project." >&2
    exit 1
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "Built $binary, but there is no display to show its window on (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
    echo "Start it from the desktop session of the computer, or over 'ssh -X'." >&2
    exit 1
fi
exec "$binary"
