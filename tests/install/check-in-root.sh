#!/usr/bin/env bash
# The Debian package as a user gets it: installed with apt into a fresh minimal root of RELEASE
# that holds nothing else but an X server and this check's tools, shown there (show-demo.sh),
# then purged, leaving nothing of it behind.
# The root lives in memory, in a private mount and process namespace: nothing is mounted on or
# written to the host outside CACHE. It sees no device but null, zero, full, random, urandom and
# tty, and the program runs without a network, so it cannot reach the host's desktop or bus.
# CACHE (default: build-roots in the source tree) keeps each release's minimal root as a tarball
# and apt's lists and downloads between runs.
# Usage: check-in-root.sh PACKAGE.deb RELEASE [CACHE]
# Exit status 77 (skipped) unless run as root with mmdebstrap and unshare.
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: check-in-root.sh PACKAGE.deb RELEASE [CACHE]" >&2; exit 2; }
deb=$(realpath "$1")
release=$2
here=$(cd "$(dirname "$0")" && pwd)
cache=$(realpath -m "${3:-$here/../../build-roots}")

fail() { echo "check-in-root ($release): $*" >&2; exit 1; }

if [ "${TAVIX_IN_NAMESPACE:-}" != 1 ]; then
    if [ "$(id -u)" != 0 ] || ! command -v mmdebstrap >/dev/null ||
        ! unshare --mount --pid --fork true 2>/dev/null; then
        echo "check-in-root: needs root, mmdebstrap and unshare; skipped" >&2
        exit 77
    fi
    mkdir -p "$cache/tmp"
    TAVIX_IN_NAMESPACE=1 TMPDIR=$cache/tmp \
        exec unshare --mount --pid --fork --propagation private "$0" "$deb" "$release" "$cache"
fi

# The minimal root, made once per release: the X server and the check's tools; the package
# brings everything else.
tarball=$cache/$release-minbase.tar
if [ ! -f "$tarball" ]; then
    echo "making a minimal $release root in $tarball"
    mmdebstrap --quiet --format=tar --variant=minbase \
        --aptopt='Acquire::Check-Valid-Until "false"' --include=xvfb,x11-utils,dbus,python3-gi \
        "$release" "$tarball.part" || fail "cannot make a minimal root"
    mv "$tarball.part" "$tarball"
fi

apt_cache=$cache/apt-$release
work=$cache/run-$release
root=$work/root
mkdir -p "$apt_cache/archives/partial" "$apt_cache/lists/partial" "$work"
mount -t tmpfs tmpfs "$work"
mkdir "$root"
tar -C "$root" -xf "$tarball"

mount -t proc proc "$root/proc"
mount -t tmpfs -o mode=755 tmpfs "$root/dev"
for node in null zero full random urandom tty; do
    touch "$root/dev/$node"
    mount --bind "/dev/$node" "$root/dev/$node"
done
mkdir "$root/dev/pts" "$root/dev/shm"
mount -t devpts -o newinstance,ptmxmode=0666 devpts "$root/dev/pts"
mount -t tmpfs tmpfs "$root/dev/shm"
ln -s pts/ptmx "$root/dev/ptmx"
ln -s /proc/self/fd "$root/dev/fd"
mount --bind "$apt_cache/archives" "$root/var/cache/apt/archives"
mount --bind "$apt_cache/lists" "$root/var/lib/apt/lists"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mkdir "$root/tmp/check"
cp "$deb" "$root/tmp/"
cp "$here/show-demo.sh" "$here/private-session.sh" "$here/tray-watcher.py" "$root/tmp/check/"

in_root() {
    chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
        DEBIAN_FRONTEND=noninteractive "$@"
}

in_root apt-get -q update >"$work/apt.log" 2>&1 || fail "apt-get update: $(cat "$work/apt.log")"
# Without its Recommends: what Depends brings must be enough.
in_root apt-get -q -y --no-install-recommends install "/tmp/$(basename "$deb")" \
    >"$work/apt.log" 2>&1 || fail "apt cannot install the package: $(cat "$work/apt.log")"
echo "installed with $(grep -c '^Setting up' "$work/apt.log") packages in ${SECONDS}s"

unshare --net chroot "$root" /usr/bin/env -i PATH=/usr/bin:/bin LANG=C.UTF-8 \
    bash /tmp/check/show-demo.sh /tmp/demo || fail "tavix --demo does not show itself"
echo "shown by ${SECONDS}s"

# What the rule helper installs for a user who asked for it goes with the package too.
in_root /usr/libexec/tavix/tavix-install-udev-rule >/dev/null 2>&1 || true
[ -f "$root/etc/udev/rules.d/70-tavix.rules" ] || fail "the rule helper installed no rule"

in_root apt-get -q -y purge tavix >"$work/apt.log" 2>&1 ||
    fail "apt cannot purge the package: $(cat "$work/apt.log")"
status=$(in_root dpkg-query -W -f='${db:Status-Status}' tavix 2>/dev/null || true)
[ -z "$status" ] || [ "$status" = not-installed ] || fail "after purge, dpkg says: $status"
left=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print substr($6, 2)}' |
    while read -r path; do [ ! -e "$root$path" ] && [ ! -L "$root$path" ] || echo "$path"; done)
for path in "$root"/etc/udev/rules.d/70-tavix.rules "$root"/usr/share/tavix \
    "$root"/usr/libexec/tavix "$root"/usr/lib/*/tavix "$root"/var/lib/dpkg/info/tavix.*; do
    [ ! -e "$path" ] || left+=" ${path#"$root"}"
done
[ -z "$left" ] || fail "left behind after purge: $left"
echo "package on $release: installs, shows its window and tray icon, purges cleanly (${SECONDS}s)"
