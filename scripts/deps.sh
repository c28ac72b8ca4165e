# shellcheck shell=bash disable=SC2034 # the lists are for the scripts that source this file
# Installs the Debian packages the build needs, when some are missing.
# Sourced by run.sh, test.sh, package.sh, tests/fuzz/run.sh and
# scripts/check_packages.sh:
#   ensure_packages <package>...   the given packages
#   ensure_armhf                   what the armhf cross-build and its tests need:
#                                  host tools, and the armhf root under build/

# Runs a command as root: directly when we are root, through sudo otherwise.
as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        echo "Cannot run '$*': run this as root or install sudo." >&2
        return 1
    fi
}

# Refreshes apt's package lists: up to three tries, 20 s apart. A list that
# cannot be fetched (a mirror in the middle of a sync, say) is not fatal: the
# install goes on with the lists there are, and only its own failure stops.
# apt_update_retried [<command prefix>...]: the prefix runs apt-get elsewhere
# (in a throw-away root, say); as_root by default.
apt_update_retried() {
    local try
    [ $# -gt 0 ] || set -- as_root
    for try in 1 2 3; do
        if "$@" apt-get update -qq; then
            return 0
        fi
        if [ "$try" -lt 3 ]; then
            echo "apt-get update failed (try $try of 3); trying again in 20 s" >&2
            sleep 20
        fi
    done
    echo "apt-get update failed 3 times: going on with the package lists there are" >&2
}

ensure_packages() {
    local missing=() p log
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    echo "Installing: ${missing[*]}"
    apt_update_retried
    log=$(mktemp)
    if ! as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
            "${missing[@]}" >"$log" 2>&1; then
        cat "$log" >&2
        echo "Could not install: ${missing[*]} (apt: $(grep '^E:' "$log" | tail -n 1))" >&2
        rm -f "$log"
        return 1
    fi
    rm -f "$log"
}

BUILD_PACKAGES=(cmake make g++ pkg-config qtbase5-dev qtbase5-dev-tools
                libqt5serialport5-dev libqt5serialbus5-dev)

# The forms ask for "Times New Roman"; Liberation Serif stands in with the
# same metrics. The programs and the tests that measure their texts see the
# same fonts.
FONT_PACKAGES=(fonts-liberation fontconfig)

# Qt's own texts in Russian (file dialogs, the text fields' context menu):
# the programs load qtbase_ru from Qt's translations folder at start. The
# files are the same for every architecture; the armhf root holds its own.
TRANSLATION_PACKAGES=(qttranslations5-l10n)

# clang with its sanitizer and libFuzzer runtimes, for the fuzz targets.
FUZZ_PACKAGES=(clang libclang-rt-dev)

# The armhf build needs only amd64 packages on the host: the cross compiler,
# the user-mode emulator, mmdebstrap and the host's own Qt code generators
# (moc, uic, rcc, in BUILD_PACKAGES). What it compiles and links against, and
# what its tests run on, is a root of armhf packages unpacked from the archive
# (scripts/armhf_root.sh), never armhf packages installed on the host.
ARMHF_PACKAGES=(g++-arm-linux-gnueabihf qemu-user mmdebstrap)

# The armhf root: Qt's development packages, the CAN plugins the bus program
# lists and opens, the C and C++ development files, and the fonts and Qt
# translations the packages depend on (the tests measure texts in them).
ARMHF_ROOT=build/armhf-root
ARMHF_ROOT_PACKAGES=(qtbase5-dev libqt5serialport5-dev libqt5serialbus5-dev libqt5serialbus5-plugins
                     libstdc++-12-dev libc6-dev fonts-liberation fontconfig qttranslations5-l10n)

ensure_armhf() {
    ensure_packages "${BUILD_PACKAGES[@]}" "${FONT_PACKAGES[@]}" "${TRANSLATION_PACKAGES[@]}" \
        "${ARMHF_PACKAGES[@]}"
    scripts/armhf_root.sh "$ARMHF_ROOT" "${ARMHF_ROOT_PACKAGES[@]}"
}

# Building the Debian packages (package.sh): dpkg-shlibdeps, dpkg-buildflags
# and dpkg-architecture, and visudo to check the sudoers rule.
PACKAGING_PACKAGES=(dpkg-dev sudo)

# Checking them (scripts/check_packages.sh): lintian, the desktop entry
# validator, a throw-away Debian root to install them into, and an X server
# without a screen whose windows a small python-xlib script finds and closes.
PACKAGE_CHECK_PACKAGES=(lintian desktop-file-utils sudo mmdebstrap xvfb python3 python3-xlib qemu-user)
