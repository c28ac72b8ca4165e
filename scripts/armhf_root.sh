#!/usr/bin/env bash
# Makes the armhf root that the cross-build compiles and links against and
# that its tests run on under qemu-arm:
#   scripts/armhf_root.sh <folder> <package>...
#
# The root is unpacked from the Debian archive itself (mmdebstrap, extract
# variant: the packages and their dependencies, no maintainer scripts), from
# the main suites the host's apt is configured with (bookworm and
# bookworm-updates; the security suite is left out: a build root does not
# need it, and one lagging index must not stop the build). Nothing is
# installed on the host, and none of the host's packages changes.
#
# The root is made again only when its package list changes (kept in
# <folder>.packages). Beside it:
#   <folder>.fonts.conf   fontconfig's configuration for programs run under
#                         qemu-arm: the root's fonts, and a cache of its own
#   <folder>.fontcache/   that cache (the host's /var/cache/fontconfig would
#                         otherwise be read, and a cache made for the host's
#                         font folder taken for the root's)
set -euo pipefail

if [ $# -lt 2 ]; then
    echo "Usage: $0 <folder> <package>..." >&2
    exit 2
fi
root=$(realpath -m "$1")
shift
stamp=$root.packages
want=$(printf '%s\n' "$@" | sort -u)

if [ -f "$stamp" ] && [ -d "$root/usr" ] && [ "$(cat "$stamp")" = "$want" ]; then
    echo "armhf root $root is up to date"
    exit 0
fi

# The host's Debian main suites, one sources line each.
mapfile -t sources < <(apt-get indextargets --format '$(TARGET_OF) $(REPO_URI) $(RELEASE) $(COMPONENT)' \
        'Created-By: Packages' 2>/dev/null \
    | awk '$1 == "deb" && ($3 == "bookworm" || $3 == "bookworm-updates") { c[$2 " " $3] = c[$2 " " $3] " " $4 }
           END { for (k in c) print "deb " k c[k] }' | sort -u)
if [ ${#sources[@]} -eq 0 ]; then
    echo "The host's apt configuration names no Debian bookworm suite: the armhf root has no archive to come from." >&2
    exit 1
fi

echo "Making the armhf root $root from: ${sources[*]}"
start=$SECONDS
rm -rf "$root" "$root.part" "$stamp" "$root.fontcache"
if ! mmdebstrap --quiet --variant=extract --arch=armhf --format=directory \
        --skip=cleanup/apt/cache --include="$(IFS=,; echo "$*")" \
        bookworm "$root.part" "${sources[@]}"; then
    rm -rf "$root.part"
    echo "mmdebstrap could not make the armhf root (see its output above)." >&2
    exit 1
fi

# qemu-arm -L looks a path up in the root first: with the root's device
# nodes there, openpty would open the root's ptmx and fail.
rm -rf "$root.part/dev"
# fontconfig's folder of rules links to its files by absolute paths, which
# the host would resolve in its own folders: make them relative. Debian's
# fontconfig-config links two rules more when it is installed (its defaults:
# slight hinting, no bitmap fonts); an extract root runs no maintainer
# script, so link them here, or texts are drawn wider than on the computer.
conf=$root.part/etc/fonts/conf.d
for rule in 10-hinting-slight.conf 70-no-bitmaps.conf; do
    ln -sfn "/usr/share/fontconfig/conf.avail/$rule" "$conf/$rule"
done
for link in "$conf"/*; do
    target=$(readlink "$link") || continue
    case "$target" in /*) ln -sfnr "$root.part$target" "$link" ;; esac
done

# An extract root has no dpkg database. dpkg-shlibdeps needs one to know
# which package a library comes from and what to depend on: write it from the
# downloaded packages' own control data, with the files listed by their path
# on the host.
admin=$root.part/var/lib/dpkg
mkdir -p "$admin/info"
: >"$admin/status"
echo 1 >"$admin/info/format"
ctl=$(mktemp -d)
trap 'rm -rf "$ctl"' EXIT
for deb in "$root.part"/var/cache/apt/archives/*.deb; do
    pkg=$(dpkg-deb -f "$deb" Package)
    name=$pkg
    [ "$(dpkg-deb -f "$deb" Multi-Arch)" = same ] && name=$pkg:$(dpkg-deb -f "$deb" Architecture)
    dpkg-deb -f "$deb" | awk 'NR == 1 { print; print "Status: install ok installed"; next } { print }' >>"$admin/status"
    echo >>"$admin/status"
    dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -e 's|^\./|/|' -e 's|/$||' -e '/^\.\?$/d' \
        | sed "s|^|$root|" >"$admin/info/$name.list"
    rm -rf "${ctl:?}"/*
    dpkg-deb -e "$deb" "$ctl"
    for f in shlibs symbols; do
        if [ -f "$ctl/$f" ]; then cp "$ctl/$f" "$admin/info/$name.$f"; fi
    done
done
rm -rf "$root.part"/var/cache/apt/archives/*.deb
mv "$root.part" "$root"

cat >"$root.fonts.conf" <<EOF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <dir>$root/usr/share/fonts</dir>
  <cachedir>$root.fontcache</cachedir>
  <include ignore_missing="yes">$root/etc/fonts/conf.d</include>
</fontconfig>
EOF

echo "$want" >"$stamp"
echo "armhf root made in $((SECONDS - start)) s: $(du -sh "$root" | cut -f1)"
