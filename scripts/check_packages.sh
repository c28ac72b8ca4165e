#!/usr/bin/env bash
# Checks the Debian packages that ./package.sh left in build/packages:
#   1. contents of every package (binary, desktop entry, icons, manual page,
#      copyright, changelog, the dependencies every program has on
#      fonts-liberation and qttranslations5-l10n; for bus-configurator the
#      sudoers rule, its conffile entry, the postinst and its own
#      dependencies), the desktop entry with desktop-file-validate, the
#      sudoers rule with visudo, and lintian (errors fail, every tag is
#      listed);
#   2. a real install of the amd64 packages with apt-get, without
#      recommended packages, into a throw-away Debian 12 root (mmdebstrap, in
#      build/install-check), where
#        - the font and Qt's Russian translation came with the dependencies;
#        - each program is started as an ordinary user on an X server without
#          a screen (Xvfb), its window is seen mapped, left up for 3 s and
#          closed the way a window manager's close button does; the program
#          must then end with exit status 0;
#        - the sudoers rule lets a member of the CAN group run exactly the
#          bus configurator's command lines and refuses others;
#        - purging removes the files and keeps the group;
#   3. each armhf program started the same way under qemu-arm, on a root that
#      holds only the armhf packages it depends on.
# The architectures checked are those the last ./package.sh built (both, or
# the one it was given). Ends with the line "checks: N passed, N failed" and
# fails on any failure.
#   scripts/check_packages.sh [--no-install]   (--help tells what it needs)
# The base root is cached in build/install-check/bookworm.tar; delete it to
# measure a cold run. DEBIAN_MIRROR overrides the mirror.
#
# Conditions go to eval in single quotes and are expanded when checked.
# shellcheck disable=SC2016,SC2034
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh

pkgdir=build/packages
# The architectures the last ./package.sh built, one a line.
arch_record=build/packages.architectures
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}

needs() {
    cat <<NEEDS
It needs:
  - the packages in $pkgdir, from ./package.sh [amd64|armhf|all]; the
    architectures that run built are checked;
  - lintian, mmdebstrap, Xvfb and the other tools it uses, installed with
    apt-get when missing (as root, or through sudo);
  - for the install check (left out with --no-install):
      root, for mmdebstrap, chroot and the mounts of the throw-away roots;
      network access to the Debian archive $mirror
      (DEBIAN_MIRROR overrides it), from which mmdebstrap makes Debian 12
      roots and apt-get fetches the packages' dependencies.
NEEDS
}
usage() {
    echo "Usage: $0 [--no-install]"
    echo "Checks the Debian packages that ./package.sh left in $pkgdir: their contents"
    echo "and lintian, then (unless --no-install) installs them into a throw-away"
    echo "Debian 12 root and starts each program there."
    needs
}

install_check=1
case "${1:-}" in
    "") ;;
    --no-install) install_check=0 ;;
    -h|--help) usage; exit 0 ;;
    *) usage >&2; exit 2 ;;
esac
if [ $# -gt 1 ]; then usage >&2; exit 2; fi

needs
shopt -s nullglob
debs=("$pkgdir"/*.deb)
if [ ${#debs[@]} -eq 0 ]; then
    echo "No packages in $pkgdir: run ./package.sh first." >&2
    exit 1
fi
if [ "$install_check" -eq 1 ] && [ "$(id -u)" -ne 0 ]; then
    echo "The install check needs root (mmdebstrap, chroot, mounts): run this as root," >&2
    echo "for example 'sudo $0', or check only the contents with '$0 --no-install'." >&2
    exit 1
fi

ensure_packages "${PACKAGE_CHECK_PACKAGES[@]}"

# python3-xlib belongs to Debian's own interpreter.
PY=/usr/bin/python3

if [ "$install_check" -eq 1 ]; then
    # The release file of the suite the roots are made of.
    if ! err=$("$PY" - "$mirror/dists/bookworm/Release" 2>&1 <<'PYEOF'
import sys, urllib.request
try:
    urllib.request.urlopen(urllib.request.Request(sys.argv[1], method="HEAD"), timeout=20).close()
except Exception as e:
    sys.exit(str(e))
PYEOF
    ); then
        echo "Cannot reach the Debian archive at $mirror: $err" >&2
        echo "The install check needs it for mmdebstrap and apt-get: give this machine network" >&2
        echo "access, set DEBIAN_MIRROR to a mirror it can reach, or use --no-install." >&2
        exit 1
    fi
    echo "  the Debian archive at $mirror answers"
fi
ICON_SIZES=(16 32 48 64 128 256)
CAN_GROUP=can-config
SUDOERS=/etc/sudoers.d/bus-configurator

passed=0
failed=0
pass() { passed=$((passed + 1)); echo "  ok: $*"; }
fail() { failed=$((failed + 1)); echo "  FAIL: $*"; }
check() { # check <description> <command>...
    local what=$1
    shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}
step_start=$SECONDS
step() { echo; echo "== $* ($((SECONDS - step_start)) s so far)"; }

program_of() {
    case "$1" in
        gateway-configurator) echo gateway_configurator ;;
        bus-configurator) echo bus_configurator ;;
        rs485-configurator) echo rs485_configurator ;;
        *) return 1 ;;
    esac
}

work=$(mktemp -d)
xvfb_pid=
root=build/install-check/root
cleanup() {
    local m
    for m in tmp/.X11-unix dev/shm dev/pts dev proc; do
        if mountpoint -q "$root/$m" 2>/dev/null; then
            umount "$root/$m" || umount -l "$root/$m" || true
        fi
    done
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

# ---------------------------------------------------------------- contents
step "icons against their drawing"
check "the committed icons are the drawing of scripts/draw_icons.py" \
    "$PY" scripts/draw_icons.py check packaging/icons

step "which packages"
if [ -s "$arch_record" ]; then
    mapfile -t archs <"$arch_record"
    echo "  the last ./package.sh built: ${archs[*]}"
else
    # Packages put there by other means: their own architectures.
    mapfile -t archs < <(for deb in "${debs[@]}"; do dpkg-deb -f "$deb" Architecture; done | sort -u)
    echo "  no $arch_record: checking the architectures found, ${archs[*]}"
fi
for arch in amd64 armhf; do
    files=("$pkgdir/"*"_$arch.deb")
    if [[ " ${archs[*]} " != *" $arch "* ]]; then
        echo "  $arch was not built ('./package.sh $arch' or './package.sh all' builds it): its checks are left out"
        check "no $arch package in $pkgdir" [ ${#files[@]} -eq 0 ]
        continue
    fi
    check "packages for $arch are there" [ ${#files[@]} -gt 0 ]
    # Every program that was built must have been packaged.
    for program in gateway_configurator bus_configurator rs485_configurator; do
        package=${program//_/-}
        if [ -x "build/pkg-$arch/$program/$program" ]; then
            files=("$pkgdir/${package}_"*"_$arch.deb")
            check "$program built for $arch, so $package for $arch is there" [ ${#files[@]} -eq 1 ]
        fi
    done
done

has_line() { grep -qxF -- "$2" <<<"$1"; }
has_match() { grep -qE -- "$2" <<<"$1"; }
# depends_on <Depends field> <package>: the package is one of the
# dependencies, with or without a version.
depends_on() { tr -d " " <<<"$1" | tr "," "\n" | sed "s/(.*)//" | grep -qxF -- "$2"; }

for deb in "${debs[@]}"; do
    name=$(dpkg-deb -f "$deb" Package)
    version=$(dpkg-deb -f "$deb" Version)
    arch=$(dpkg-deb -f "$deb" Architecture)
    step "$(basename "$deb")"
    check "file name is package_version_architecture.deb" [ "$(basename "$deb")" = "${name}_${version}_${arch}.deb" ]
    if ! program=$(program_of "$name"); then
        fail "$name is not one of the three programs"
        continue
    fi
    listing=$(dpkg-deb -c "$deb" | awk '{print $1, $2, $6}')
    check "binary /usr/bin/$program, root-owned, 0755" has_line "$listing" "-rwxr-xr-x root/root ./usr/bin/$program"
    check "desktop entry" has_match "$listing" "^-rw-r--r-- root/root \./usr/share/applications/$name\.desktop$"
    for n in "${ICON_SIZES[@]}"; do
        check "icon ${n}x${n}" has_match "$listing" "^-rw-r--r-- root/root \./usr/share/icons/hicolor/${n}x${n}/apps/$name\.png$"
    done
    check "manual page" has_match "$listing" "^-rw-r--r-- root/root \./usr/share/man/man1/$program\.1\.gz$"
    check "copyright and changelog" eval 'has_match "$listing" "/usr/share/doc/$name/copyright$" && has_match "$listing" "/usr/share/doc/$name/changelog\.gz$"'
    check "nothing outside /usr except the sudoers rule" \
        eval '! grep -vE " \./(usr/|etc/$|etc/sudoers\.d/$|etc/sudoers\.d/bus-configurator$)" <<<"$listing" | grep . >/dev/null'

    x=$work/$name-$arch
    mkdir -p "$x"
    dpkg-deb -x "$deb" "$x"
    dpkg-deb -e "$deb" "$x/DEBIAN"
    desktop=$x/usr/share/applications/$name.desktop
    check "desktop-file-validate is clean" eval '[ -z "$(desktop-file-validate "$desktop" 2>&1)" ]'
    check "desktop entry starts $program with icon $name" \
        eval 'grep -qx "Exec=$program" "$desktop" && grep -qx "Icon=$name" "$desktop"'
    check "desktop entry has Russian name and comment" \
        eval 'grep -q "^Name\[ru\]=" "$desktop" && grep -q "^Comment\[ru\]=" "$desktop"'
    check "each icon's pixel size is its folder's" "$PY" - "$x/usr/share/icons/hicolor" "$name" <<'PYEOF'
import struct, sys
base, name = sys.argv[1], sys.argv[2]
for n in (16, 32, 48, 64, 128, 256):
    with open(f"{base}/{n}x{n}/apps/{name}.png", "rb") as f:
        head = f.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n" or struct.unpack(">II", head[16:24]) != (n, n):
        sys.exit(f"{n}x{n}: not a {n}x{n} PNG")
PYEOF
    case "$arch" in
        amd64) machine="x86-64" ;;
        armhf) machine="ARM, EABI5" ;;
        *) machine="unknown architecture $arch" ;;
    esac
    kind=$(file -b "$x/usr/bin/$program")
    check "binary is a stripped $arch executable ($machine)" \
        eval 'grep -qF "$machine" <<<"$kind" && grep -q ", stripped" <<<"$kind"'
    depends=$(dpkg-deb -f "$deb" Depends)
    check "run-time dependencies found from the binary (Qt, libc)" \
        eval 'grep -q "libqt5widgets5" <<<"$depends" && grep -q "libc6" <<<"$depends"'
    check "description tells to join dialout" eval 'dpkg-deb -f "$deb" Description | grep "dialout" >/dev/null'
    # The forms' "Times New Roman" texts fit only with its metric twin, and
    # Qt's own texts come in Russian from qtbase_ru: both are needed, not
    # only recommended.
    for dep in fonts-liberation qttranslations5-l10n; do
        check "depends on $dep" depends_on "$depends" "$dep"
    done

    if [ "$name" = bus-configurator ]; then
        check "sudoers rule $SUDOERS, root-owned, 0440" has_line "$listing" "-r--r----- root/root .$SUDOERS"
        check "visudo -cf accepts the sudoers rule" visudo -cf "$x$SUDOERS"
        check "the sudoers rule is a conffile" grep -qx "$SUDOERS" "$x/DEBIAN/conffiles"
        check "postinst creates the group $CAN_GROUP" grep -q "addgroup --quiet --system $CAN_GROUP" "$x/DEBIAN/postinst"
        for dep in can-utils iproute2 sudo adduser; do
            check "depends on $dep" depends_on "$depends" "$dep"
        done
    fi
done

step "lintian"
lintian_out=$work/lintian.txt
lintian --pedantic --display-info --tag-display-limit 0 "${debs[@]}" >"$lintian_out" 2>&1 || true
grep -v "running with root privileges" "$lintian_out" | sort | uniq -c || true
check "lintian reports no error" eval '! grep -q "^E: " "$lintian_out"'
echo "  lintian: $(grep -c '^E: ' "$lintian_out" || true) errors, $(grep -c '^W: ' "$lintian_out" || true) warnings, $(grep -c '^[IP]: ' "$lintian_out" || true) info/pedantic"

if [ "$install_check" -eq 0 ]; then
    echo
    echo "checks: $passed passed, $failed failed"
    [ "$failed" -eq 0 ]
    exit
fi

# ------------------------------------------------------------ real install
amd64_debs=("$pkgdir"/*_amd64.deb)
step "throw-away Debian 12 root in $root"
cache=build/install-check/bookworm.tar
mkdir -p build/install-check
if [ ! -s "$cache" ]; then
    t0=$SECONDS
    mmdebstrap --mode=root --format=tar --variant=apt --include=sudo,passwd,adduser bookworm "$cache.part" "$mirror"
    mv "$cache.part" "$cache"
    echo "  base root made in $((SECONDS - t0)) s"
else
    echo "  base root from the cache $cache"
fi
if grep -qF " $(realpath -m "$root")/" /proc/mounts; then
    echo "Something is still mounted under $root; not removing it." >&2
    exit 1
fi
rm -rf "$root"
mkdir -p "$root"
tar -xf "$cache" -C "$root"
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
mount --bind /dev/shm "$root/dev/shm"
cp /etc/resolv.conf "$root/etc/resolv.conf"
# sudo looks up the name of the host it runs on.
printf "127.0.1.1\t%s\n" "$(hostname)" >>"$root/etc/hosts"
in_root() { chroot "$root" "$@"; }

apt_update_retried in_root
names=()
paths=()
for deb in "${amd64_debs[@]}"; do
    names+=("$(dpkg-deb -f "$deb" Package)")
    paths+=("/tmp/debs/$(basename "$deb")")
done
if [ ${#names[@]} -eq 0 ]; then
    echo "  no amd64 packages: the install, the programs' start in the root and the purge are left out"
else
    step "apt-get install of the amd64 packages, without recommended packages"
    mkdir -p "$root/tmp/debs"
    cp "${amd64_debs[@]}" "$root/tmp/debs/"
    t0=$SECONDS
    # Without recommended packages, as on a system installed that way: what
    # the programs need must come with their dependencies.
    if in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${paths[@]}" \
            >"$work/apt.log" 2>&1; then
        pass "apt-get install ${names[*]} ($((SECONDS - t0)) s, dependencies included)"
    else
        cat "$work/apt.log"
        fail "apt-get install ${names[*]}"
    fi
    for name in "${names[@]}"; do
        check "$name installed" eval 'in_root dpkg-query -W -f="\${Status}" "$name" | grep -x "install ok installed" >/dev/null'
    done
    check "Liberation Serif came with the dependencies" \
        [ -f "$root/usr/share/fonts/truetype/liberation/LiberationSerif-Regular.ttf" ]
    check "Qt's Russian translation qtbase_ru came with the dependencies" \
        [ -f "$root/usr/share/qt5/translations/qtbase_ru.qm" ]
    # The bus program lists and opens can0 through Qt's socketcan plugin,
    # which Qt's runtime library does not pull in.
    if [[ " ${names[*]} " == *" bus-configurator "* ]]; then
        check "Qt's socketcan plugin came with the bus program's dependencies" \
            [ -f "$root/usr/lib/x86_64-linux-gnu/qt5/plugins/canbus/libqtsocketcanbus.so" ]
    fi
fi

# An engineer in the CAN group, and one outside it.
in_root useradd --create-home --shell /bin/bash engineer
in_root useradd --create-home --shell /bin/bash visitor

step "sudoers rule"
bus_installed=0
if [[ " ${names[*]} " == *" bus-configurator "* ]]; then
    bus_installed=1
    check "postinst created the system group $CAN_GROUP" eval 'in_root getent group "$CAN_GROUP" | awk -F: "{exit !(\$3 < 1000)}"'
    check "sudoers rule installed 0440 root:root" eval '[ "$(stat -c "%a %U:%G" "$root$SUDOERS")" = "440 root:root" ]'
else
    # Without the bus configurator built, the rule is checked by itself: as
    # its package would install it, with the group its postinst creates.
    echo "  bus-configurator is not built: checking packaging/bus-configurator/sudoers directly"
    in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q can-utils iproute2 >"$work/apt-can.log" 2>&1 \
        || { cat "$work/apt-can.log"; fail "apt-get install can-utils iproute2"; }
    install -m 0440 -o root -g root packaging/bus-configurator/sudoers "$root$SUDOERS"
    in_root addgroup --quiet --system "$CAN_GROUP"
fi
check "visudo -c accepts the whole sudo configuration" in_root visudo -c
in_root adduser --quiet engineer "$CAN_GROUP"
echo "  sudo -l -U engineer:"
in_root sudo -l -U engineer | sed 's/^/    /'

# The program starts "sudo" with these arguments; sudo finds the commands in
# its secure_path.
allowed=(
    "ip link set can0 up type can bitrate 125000"
    "ip link set can0 down"
    "cansend can0 7E5#0401000000000000"
    "cansend can0 7E5#1101000000000000"
    "cansend can0 7E5#117F000000000000"
    "cansend can0 7E5#1300040000000000"
    "cansend can0 7E5#1300080000000000"
    "cansend can0 7E5#1700000000000000"
    "/usr/sbin/ip link set can0 down"
    "/usr/bin/cansend can0 7E5#1700000000000000"
)
refused=(
    "ip link set can0 up type can bitrate 500000"
    "ip link set can0 up type can bitrate 125000 restart-ms 100"
    "ip link set can1 up type can bitrate 125000"
    "ip link set can0 down up"
    "ip link delete can0"
    "ip addr add 10.0.0.1/24 dev eth0"
    "ip -batch /tmp/commands"
    "cansend can0 123#0401000000000000"
    "cansend can0 7E5#04010000000000"
    "cansend can0 7E5#110100000000000000"
    "cansend can0 7E5#11100000000000000"
    "cansend can0 7E5#11-1000000000000"
    "cansend can0 7e5#0401000000000000"
    "cansend can0 7E5#1101000000000000 7E5#1101000000000000"
    "cansend can1 7E5#0401000000000000"
    "cansend can0 7E5#R"
    "candump can0"
    "bash"
)
for line in "${allowed[@]}"; do
    # shellcheck disable=SC2086 # the command line is split into its words on purpose
    check "engineer may run: $line" eval 'in_root sudo -l -U engineer $line >/dev/null 2>&1'
done
for line in "${refused[@]}"; do
    # shellcheck disable=SC2086
    check "engineer may not run: $line" eval '! in_root sudo -l -U engineer $line >/dev/null 2>&1'
done
check "visitor (not in $CAN_GROUP) may not run: ip link set can0 down" \
    eval '! in_root sudo -l -U visitor ip link set can0 down >/dev/null 2>&1'

# For real, as the program does it: "sudo" and the command line, no terminal,
# no password, in a network namespace of its own (no can0 there: nothing
# touches the host's). sudo either runs the command, whose own complaint
# about the missing can0 then shows, or refuses with a line of its own.
run_as() { # run_as <user> <command>... : what the command says, exit ignored
    timeout 30 unshare --net chroot "$root" runuser -u "$1" -- "${@:2}" </dev/null 2>&1 || true
}
for line in "ip link set can0 down" "cansend can0 7E5#0401000000000000"; do
    # shellcheck disable=SC2086
    out=$(run_as engineer sudo $line)
    echo "  engineer: sudo $line -> $out"
    check "sudo runs it for the engineer without asking for a password" \
        eval '[ -n "$out" ] && ! grep "^sudo:" <<<"$out" >/dev/null'
done
out=$(run_as engineer sudo ip link set can0 up type can bitrate 500000)
echo "  engineer: sudo ip link set can0 up type can bitrate 500000 -> $out"
check "sudo refuses another bit rate" grep -q "^sudo: a terminal is required" <<<"$out"
out=$(run_as visitor sudo ip link set can0 down)
echo "  visitor: sudo ip link set can0 down -> $out"
check "sudo refuses a user outside $CAN_GROUP" grep -q "^sudo: a terminal is required" <<<"$out"

step "programs start, show their window and end when it is closed"
display_no=90
while [ -e "/tmp/.X11-unix/X$display_no" ] || [ -e "/tmp/.X$display_no-lock" ]; do
    display_no=$((display_no + 1))
done
Xvfb ":$display_no" -screen 0 1280x1024x24 -nolisten tcp </dev/null >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -S "/tmp/.X11-unix/X$display_no" ] && break; sleep 0.1; done
export DISPLAY=":$display_no"

# window_check <program> <label> <command>...: starts the command in the
# background, sees the program's window mapped, lets it run 3 s, closes the
# window and expects the program to end with status 0 within 10 s.
window_check() {
    local program=$1 label=$2 pid status log=$work/$1-$2.log
    shift 2
    "$@" </dev/null >"$log" 2>&1 &
    pid=$!
    check "$label: $program shows its window" timeout 100 "$PY" scripts/x_window.py wait "$program" 90
    sleep 3
    check "$label: $program is still running 3 s later" kill -0 "$pid"
    check "$label: $program's window takes the close request" timeout 20 "$PY" scripts/x_window.py close "$program"
    status=timeout
    for _ in $(seq 100); do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid" && status=0 || status=$?
            break
        fi
        sleep 0.1
    done
    if [ "$status" = timeout ]; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    check "$label: $program ended with exit status 0 after the close (got $status)" [ "$status" = 0 ]
    sed "s/^/    $program: /" "$log"
}

mkdir -p "$root/tmp/.X11-unix"
mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
for name in "${names[@]}"; do
    program=$(program_of "$name")
    window_check "$program" amd64 chroot "$root" runuser -u engineer -- env -i DISPLAY="$DISPLAY" \
        HOME=/home/engineer PATH=/usr/bin:/bin LANG=C.UTF-8 "/usr/bin/$program"
done
umount "$root/tmp/.X11-unix"

# The armhf packages cannot be installed here (no emulation of foreign
# maintainer scripts), but their programs can run under qemu-arm on a root
# holding only the armhf packages they depend on: the dependencies found from
# the binaries must be enough. The host's own armhf libraries are hidden, so
# that none of them can stand in for a missing dependency.
armhf_debs=("$pkgdir"/*_armhf.deb)
if [ ${#armhf_debs[@]} -gt 0 ]; then
    step "armhf programs under emulation, with only the libraries of their dependencies"
    armroot=build/install-check/armhf-root
    rm -rf "$armroot"
    # The first alternative of each dependency, without its version.
    deps=$(for deb in "${armhf_debs[@]}"; do dpkg-deb -f "$deb" Depends | tr ',' '\n'; done \
        | sed 's/|.*//; s/(.*)//; s/ //g' | sort -u | paste -sd, -)
    t0=$SECONDS
    if mmdebstrap --quiet --mode=root --arch=armhf --variant=extract --format=directory \
            --include="$deps" bookworm "$armroot" "$mirror" >"$work/armhf-root.log" 2>&1; then
        pass "armhf root with $deps ($((SECONDS - t0)) s)"
    else
        cat "$work/armhf-root.log"
        fail "armhf root with $deps"
    fi
    check "the armhf root holds Liberation Serif and qtbase_ru, from the dependencies" \
        eval '[ -f "$armroot/usr/share/fonts/truetype/liberation/LiberationSerif-Regular.ttf" ] && [ -f "$armroot/usr/share/qt5/translations/qtbase_ru.qm" ]'
    if ls "$pkgdir"/bus-configurator_*_armhf.deb >/dev/null 2>&1; then
        check "the armhf root holds Qt's socketcan plugin, from the bus program's dependencies" \
            [ -f "$armroot/usr/lib/arm-linux-gnueabihf/qt5/plugins/canbus/libqtsocketcanbus.so" ]
    fi
    for deb in "${armhf_debs[@]}"; do
        dpkg-deb -x "$deb" "$armroot"
    done
    armroot_abs=$(realpath "$armroot")
    for deb in "${armhf_debs[@]}"; do
        program=$(program_of "$(dpkg-deb -f "$deb" Package)")
        # shellcheck disable=SC2016 # expanded by the inner shell
        window_check "$program" armhf unshare --mount sh -c '
            if [ -d /usr/lib/arm-linux-gnueabihf ]; then mount -t tmpfs none /usr/lib/arm-linux-gnueabihf; fi
            exec env -i DISPLAY="$1" HOME=/tmp LANG=C.UTF-8 qemu-arm -L "$2" "$2/usr/bin/$3"' \
            sh "$DISPLAY" "$armroot_abs" "$program"
    done
fi
kill "$xvfb_pid" 2>/dev/null || true
wait "$xvfb_pid" 2>/dev/null || true
xvfb_pid=

if [ ${#names[@]} -gt 0 ]; then
    step "purge"
    in_root env DEBIAN_FRONTEND=noninteractive apt-get purge -y -q "${names[@]}" >"$work/purge.log" 2>&1 \
        || { cat "$work/purge.log"; fail "apt-get purge"; }
fi
for name in "${names[@]}"; do
    program=$(program_of "$name")
    check "$name purged: binary, desktop entry and icons gone" \
        eval '[ ! -e "$root/usr/bin/$program" ] && [ ! -e "$root/usr/share/applications/$name.desktop" ] && [ ! -e "$root/usr/share/icons/hicolor/48x48/apps/$name.png" ]'
done
if [ "$bus_installed" -eq 1 ]; then
    check "sudoers rule gone with the purge" [ ! -e "$root$SUDOERS" ]
    check "group $CAN_GROUP and its members kept" eval 'in_root getent group "$CAN_GROUP" | grep engineer >/dev/null'
fi

echo
echo "install check: $((SECONDS - step_start)) s in all"
echo
echo "checks: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
