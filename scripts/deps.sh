# shellcheck shell=bash disable=SC2034 # the lists are for the scripts that source this file
# Installs the Debian packages the build needs, when some are missing.
# Sourced by run.sh, test.sh, package.sh, tests/fuzz/run.sh and
# scripts/check_packages.sh:
#   ensure_packages <package>...   the given packages
#   ensure_armhf                   what the armhf cross-build and its tests need

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

ensure_packages() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

BUILD_PACKAGES=(cmake make g++ pkg-config qtbase5-dev qtbase5-dev-tools
                libqt5serialport5-dev libqt5serialbus5-dev)

# The forms ask for "Times New Roman"; Liberation Serif stands in with the
# same metrics. The programs and the tests that measure their texts see the
# same fonts.
FONT_PACKAGES=(fonts-liberation fontconfig)

# Qt's own texts in Russian (file dialogs, the text fields' context menu):
# the programs load qtbase_ru from Qt's translations folder at start. The
# files are the same for every architecture, so the tests under qemu-arm read
# the host's.
TRANSLATION_PACKAGES=(qttranslations5-l10n)

# clang with its sanitizer and libFuzzer runtimes, for the fuzz targets.
FUZZ_PACKAGES=(clang libclang-rt-dev)

# The cross compiler, the user-mode emulator and the target's Qt. Qt's code
# generators (moc, uic, rcc) come from the host's qtbase5-dev-tools.
ARMHF_PACKAGES=(crossbuild-essential-armhf qemu-user
                qtbase5-dev:armhf libqt5serialport5-dev:armhf libqt5serialbus5-dev:armhf)

ensure_armhf() {
    if ! dpkg --print-foreign-architectures | grep -qx armhf; then
        echo "Adding the armhf architecture to dpkg"
        as_root dpkg --add-architecture armhf
    fi
    # The armhf packages are missing right after the architecture is added,
    # so ensure_packages updates the package lists before installing.
    ensure_packages "${BUILD_PACKAGES[@]}" "${FONT_PACKAGES[@]}" "${TRANSLATION_PACKAGES[@]}" \
        "${ARMHF_PACKAGES[@]}"
}

# Building the Debian packages (package.sh): dpkg-shlibdeps, dpkg-buildflags
# and dpkg-architecture, and visudo to check the sudoers rule.
PACKAGING_PACKAGES=(dpkg-dev sudo)

# Checking them (scripts/check_packages.sh): lintian, the desktop entry
# validator, a throw-away Debian root to install them into, and an X server
# without a screen whose windows a small python-xlib script finds and closes.
PACKAGE_CHECK_PACKAGES=(lintian desktop-file-utils sudo mmdebstrap xvfb python3 python3-xlib qemu-user)
